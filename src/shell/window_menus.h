#pragma once
// The text windows' commands on the main window: "Clea&r" for the current tab, "Save Window to
// file", the "Copy Selected Text" items, the right-button pop-up menus (the menu bar's own menus,
// with their copy item shown only while they are open), and the left-button "/MSG " preparation
// in the chat and BBS windows.

#include <QObject>
#include <QPoint>
#include <functional>

class QMenu;
class QPlainTextEdit;

namespace zenthra {

class Application;
class MainWindow;
class OptionMenus;

class WindowMenus : public QObject
{
    Q_OBJECT
public:
    // Shows a menu as a pop-up at a screen position and returns once it has closed (tests replace it).
    using Popup = std::function<void(QMenu* menu, const QPoint& globalPos)>;

    WindowMenus(Application& app, MainWindow& window, OptionMenus& dialogs);

    void setPopup(Popup popup) { m_popup = std::move(popup); }

    void cmdClearWindows_Click();
    // 0 DXC, 1 MUF, 2 VHF, 3 WWC, 4 BBS.
    void mnuWindowSaved_Click(int index);
    // 99 the DXC window, else txtDataRetrieval(window).
    void SAVE_TO_FILE(int window);
    // Puts a non-empty text on the clipboard as plain text.
    static void CopyFromRichTextBox(const QString& text);

    bool eventFilter(QObject* watched, QEvent* event) override;
    // The DXC (or chat) menu as a pop-up over a pane of another window, its copy item copying
    // from that pane.
    void popupOver(QPlainTextEdit* source, bool wwc, const QPoint& globalPos);

private:
    QPlainTextEdit* view(int window) const;
    // Copies the view's selection and leaves the caret at the selection's start.
    void copySelection(QPlainTextEdit* view);
    void popupFor(int window, const QPoint& globalPos);
    void prepareMessage(int window);

    Application& m_app;
    MainWindow& m_window;
    OptionMenus& m_dialogs;
    Popup m_popup;
    // The window whose pop-up is open: the DXC copy item copies from it.
    QPlainTextEdit* m_popupSource = nullptr;
};

} // namespace zenthra
