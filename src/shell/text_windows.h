#pragma once
// The six text windows of the main window as text models, and their appenders. A model keeps
// the exact text (CR LF line ends, trailing blanks, cuts anywhere) and tells its views what
// changed: a tail appended and a head cut off, so an append costs in proportion to the new
// text, never to the window.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace zenthra {

class OptionsModel;

// Where an append leaves the caret of the views.
enum class Caret
{
    Keep,          // where it was
    End,           // after the last character
    LastLineStart, // start of the last line (after the last CR LF)
    Top,           // before the first character
};

// `text` with every line end in it (CR LF, LF CR, a lone CR or a lone LF) written as one CR LF.
// The views show a window's text without its CRs and a saved window counts CR, LF and CR LF each
// as a line end, so only CR LF line ends look the same on screen and in the file.
QString withCrLfLineEnds(const QString& text);

class TextWindow : public QObject
{
    Q_OBJECT
public:
    explicit TextWindow(QObject* parent = nullptr);

    QString text() const { return m_buffer.mid(m_start); }
    qsizetype length() const { return m_buffer.size() - m_start; }

    // Appends `tail`; when the whole is then longer than `limit`, cuts it to its last `keep`
    // characters first; then appends `trailer` (never cut).
    void appendKeepingLast(const QString& tail, double limit, qsizetype keep, const QString& trailer = {});
    // Replaces the whole text.
    void replace(const QString& text);
    void moveCaret(Caret caret);

Q_SIGNALS:
    // In view units: the views show the text without its CR characters (the LF ends the line).
    void appended(const QString& tail);
    void headRemoved(qsizetype count);
    void replaced(const QString& text);
    void caretMoved(zenthra::Caret caret);
    // Any change of the text, after the views were told.
    void changed();

private:
    void compact();

    // The text is m_buffer from m_start on; the cut head is dropped lazily.
    QString m_buffer;
    qsizetype m_start = 0;
};

class TextWindows : public QObject
{
    Q_OBJECT
public:
    TextWindows(OptionsModel& options, std::function<QDateTime()> utcNow, QObject* parent = nullptr);

    TextWindow TBCluster;           // DXC
    TextWindow txtDataRetrieval[5]; // 0 MUF, 1 VHF, 2 WWC, 3 analysis, 4 BBS

    // Each takes the caller's text and leaves the caller's variable empty (the WWC appender
    // leaves an empty text as it was).
    void POPULATE_DXC_WINDOW(QString& text);
    // A blank line the cluster node sent (help texts and tables are laid out with them).
    void dxcBlankLine();
    void POPULATE_MUF_WINDOW(QString& text);
    void POPULATE_VHF_WINDOW(QString& text);
    void POPULATE_WWC_WINDOW(QString& text);
    void POPULATE_BBS_WINDOW(QString& text);
    // A line received on the BBS link, as the window shows it. An empty line stays an empty
    // line: the appender drops text of line ends alone, and a message's paragraphs would run
    // together.
    void bbsLineReceived(const QString& line);
    void POPULATE_ANALYSIS_WINDOW(QString& text);

    // 1 when the DX-cluster filter has just passed an HF spot that the band filter hides but
    // that is still logged: the DXC appender then keeps that spot's line out of the window.
    qint16 intHiddenHfSpot = 0;

    // "Window Buffer Limit": the prompt, and the new limit an answer gives (1000 to 200000),
    // or nothing when the answer keeps the old one.
    static constexpr const char* windowBufferPrompt =
        "Please type the maximum number of characters  for each window, min=1000 max=200000";
    static std::optional<float> windowBufferAnswer(const QString& answer);

    // The heading of an analysis report for that instant.
    static QString analysisHeader(const QDateTime& utc);

private:
    void appendToDxc(const QString& tail);
    double limit() const;
    qsizetype keep() const;

    OptionsModel& m_options;
    std::function<QDateTime()> m_utcNow;
    // The half of a two-character line end still awaited from the BBS node (see shownLine).
    char16_t m_bbsOpenLineEnd = 0;
};

} // namespace zenthra
