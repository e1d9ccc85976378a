#pragma once
// The chat pop-up's content: private messages (and, when asked for, lines mentioning the user's
// call) collected with their UTC time so none is missed in a busy chat window, its geometry file,
// and the "/MSG " reply a call picked in it prepares. The window itself only shows this.

#include "platform/twips.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace zenthra {

class OptionsModel;

// Where the pop-up stands, in twips; a value is applied only when present.
class WwcPopup : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* geometryFile = "wwc_popup.dat";
    // Top, left, height and width; nothing after them is read.
    static constexpr qsizetype geometryLineCount = 4;
    // A selection this long or longer is no call sign.
    static constexpr qsizetype callLimit = 13;
    // A message shorter than this leaves the caret at the start of the last line; a longer one
    // scrolls to the end, so its beginning and end are both in view as far as possible.
    static constexpr qsizetype shortMessage = 81;

    WwcPopup(const OptionsModel& options, std::function<QDateTime()> utcNow, QObject* parent = nullptr);

    // Lines of "hh:mm - message", each after a CR LF.
    const QString& text() const { return m_text; }
    // Adds a message; `text` is left as the pop-up took it (pairs of blanks made one).
    void WWC_POPUP(QString& text);
    // The window was closed: its messages are discarded.
    void clear();
    // The pop-up is to be shown as it stands (entering the WWC tab).
    void requestShow() { Q_EMIT showRequested(); }

    // The geometry file's values that apply: Top above 0, Left above -100, Height and Width
    // above 200. A missing or unreadable file gives none.
    static StoredTwipsRect readGeometry(const QString& path);
    // Top, Left, Height, Width, one a line; false when the file could not be written.
    static bool writeGeometry(const QString& path, const TwipsRect& g);
    // The reply a selection in the pop-up prepares on the chat line, or nothing when the
    // selection is empty, spans lines or is too long for a call.
    static std::optional<QString> replyCommand(const QString& selection);

Q_SIGNALS:
    // The first message since the pop-up was empty: show it.
    void showRequested();
    // The text changed; the caret goes to the start of the last line, or to the end.
    void textChanged(const QString& text, bool lastLineStart);
    // "Force popup to top?" is ticked.
    void topmostRequested();
    // The input focus goes back to the main window's command line.
    void focusReturned();

private:
    const OptionsModel& m_options;
    std::function<QDateTime()> m_utcNow;
    QString m_text;
};

// The chat rules for each received line: private messages and mentions of the user's call are
// sounded and handed to the pop-up as the message options say, and the line goes to the window.
class ChatMessages : public QObject
{
    Q_OBJECT
public:
    ChatMessages(const OptionsModel& options, WwcPopup& popup, std::function<void(qint16 kind)> playWwc,
                 QObject* parent = nullptr);

    // One line received on the chat link, with its line end.
    void lineReceived(const QString& line);

    // "<*" and "*>:" frame the sender of a private message.
    static bool isPrivate(const QString& shown);
    // The shown line holds the last three letters of the call (only for calls of 4 or more).
    static bool mentions(const QString& shown, const QString& callsign);

Q_SIGNALS:
    // The line as the WWC window shows it.
    void windowText(const QString& text);

private:
    const OptionsModel& m_options;
    WwcPopup& m_popup;
    std::function<void(qint16)> m_playWwc;
    // The half of a two-character line end still awaited from the node (see shownLine).
    char16_t m_openLineEnd = 0;
};

} // namespace zenthra
