#pragma once
// The click handlers of the spot road's options: five items of "&Options" (which spots and
// announcements are computed and logged), "ES Options" (counting rules, heights, distance limits, double
// hop), "DXC Filters" (bands shown and passed on), the "DDE" menu and the DEBUG button. Plain check marks
// flip through the options model; the handlers here add the exclusions, the group items and the input boxes.

#include "core/prompter.h"
#include "platform/bounded_number.h"
#include "shell/dde_window.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace zenthra {

class Application;
class MainWindow;

class OptionMenus : public QObject, public Prompter
{
    Q_OBJECT
public:
    // Asks the user for a text: the title, the prompt and the answer shown at first. Nothing when
    // the user cancels.
    using InputBox = std::function<std::optional<QString>(const QString& title, const QString& prompt,
                                                          const QString& defaultAnswer)>;

    // One numeric option's input box: its prompt and the answers it takes (the leading number of
    // the answer, within the bounds).
    struct NumberPrompt
    {
        const char* prompt;
        legacy::NumberBounds bounds;
        // The value read from an answer when it is taken, or nothing when the option stays.
        std::optional<double> accept(const QString& answer) const;
    };
    static const NumberPrompt eLayerHeightPrompt;
    static const NumberPrompt maslPrompt;
    static const NumberPrompt doubleHopMinQrbPrompt;
    static const NumberPrompt minEsQrb6mPrompt;
    static const NumberPrompt minEsQrb4mPrompt;
    static const NumberPrompt minEsQrb2mPrompt;
    static const NumberPrompt maxEsQrb6mPrompt;

    // Registers the handlers with the window's menus and buttons.
    OptionMenus(Application& app, MainWindow& window);
    ~OptionMenus() override;

    // Shows a message box with an OK button: the icon, the title (empty: the program's title), the
    // text, and whether the text needs a fixed-width font to line up.
    using MessageBox = std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text,
                                          bool fixedWidth)>;

    // Replaces the input box (tests answer it).
    void setInputBox(InputBox box) { m_inputBox = std::move(box); }
    // Replaces the message box (tests record it).
    void setMessageBox(MessageBox box) { m_messageBox = std::move(box); }
    // The boxes every dialog of the main window and its tool windows goes through.
    std::optional<QString> ask(const QString& title, const QString& prompt,
                               const QString& defaultAnswer) const override
    {
        return m_inputBox(title, prompt, defaultAnswer);
    }
    void tell(QMessageBox::Icon icon, const QString& title, const QString& text,
              bool fixedWidth = false) const
    {
        m_messageBox(icon, title, text, fixedWidth);
    }
    // The tool windows' messages.
    void tell(Prompter::Icon icon, const QString& title, const QString& text) const override;

    void chkCalcHF_Click();
    void chkCalcHF_Hidden_Click();
    // Creates the announcement table when it is missing, on every click, then flips the mark.
    void mnuAnnToDb_Click();
    // group: keys::filterHF, keys::filterVHF or keys::filterUHF; index 0 ticks all, 1 unticks all.
    void filterAll_Click(QString (*group)(int), int count, int index);
    void mnuEsOptions_Click(int index);
    void mnuEsDoubleHop_Click(int index);
    void mnuEsQrb_Click(int index);
    void ES_QRB_SETTINGS(int index);
    void SET_BELL_MUF_LEVEL();
    void mnuDDE_Click(int index);
    // The DEBUG button: its sample spot down the road and into the DXC window, and the next
    // heartbeat tick made due.
    void Command1_Click();

    // The "DDE to Logger" dialog while it is loaded.
    LinkToLoggerWindow* frmLinkToLogger() const { return m_frmLinkToLogger; }

private:
    // Asks with the program's title; nothing when cancelled.
    std::optional<double> askNumber(const NumberPrompt& prompt, const QString& current);

    Application& m_app;
    MainWindow& m_window;
    InputBox m_inputBox;
    MessageBox m_messageBox;
    QPointer<LinkToLoggerWindow> m_frmLinkToLogger;
};

} // namespace zenthra
