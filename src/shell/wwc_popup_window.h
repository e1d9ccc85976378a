#pragma once
// frmWwcPopup: the small window that shows the chat pop-up's messages. It keeps its place in
// wwc_popup.dat, comes back empty after a close, and a call picked in it prepares a reply.

#include <QRect>
#include <QWidget>

#include <optional>

class QPlainTextEdit;

namespace zenthra {

class OptionsModel;
class WwcPopup;

class WwcPopupWindow : public QWidget
{
    Q_OBJECT
public:
    // Designed size, twips.
    static constexpr float designWidth = 6000;
    static constexpr float designHeight = 2400;

    WwcPopupWindow(WwcPopup& popup, const OptionsModel& options, QString geometryPath,
                   QWidget* parent = nullptr);
    ~WwcPopupWindow() override;

    QPlainTextEdit* txtPopup() const { return m_txtPopup; }
    // Shows the window (not modal), placed from the geometry file and in the panes' font size.
    void showPopup();
    // Shut-down: a shown window saves its place and closes.
    void unload();

Q_SIGNALS:
    // A call was picked: the reply command for the main window's chat line.
    void replyChosen(const QString& command);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SAVE_POPUP_VIEW();
    void LOAD_POPUP_VIEW();
    void showText(const QString& text, bool lastLineStart);
    int toPixels(float twips, bool horizontal) const;

    WwcPopup& m_popup;
    const OptionsModel& m_options;
    QString m_geometryPath;
    QPlainTextEdit* m_txtPopup;
    bool m_placed = false;
    // The outer geometry the file gave, applied again once the window shows and its frame is known.
    std::optional<QRect> m_pendingOuter;
};

} // namespace zenthra
