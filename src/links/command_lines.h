#pragma once
// The command lines of the three links: what Enter does with a typed line (echo, "CLS", the
// history, the ">>DXC " route from the chat line, the send and what a failed send reports), the
// Delete key on a history entry, the ready-made commands of the link menus, and the history
// files. No widget here: each box is a CommandLine that a window binds its combo or line edit to.

#include "command_history.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace zenthra {

class ErrorLog;
class Links;
class OptionsModel;
class Prompter;
class TelnetLink;
class CommandLines;

// The links' text windows (and their copies in other windows).
enum class LinkPane
{
    Dxc,
    Wwc,
    Bbs,
};

// One command box.
class CommandLine : public QObject
{
    Q_OBJECT
public:
    enum class Box
    {
        Dxc,     // txtDxCommand, the main window's DXC line
        Wwc,     // txtWwcCommand, the main window's WWC line
        Bbs,     // txtBbsCommand, the main window's BBS line (no history)
        DxcTwin, // txtDxcCommand2, the separate DXC window's box
        WwcTwin, // txtWwcCommand2, the separate WWC window's box
    };

    CommandLine(Box box, CommandLines& owner);

    Box box() const { return m_box; }
    // The box's drop-down list; nullptr for the BBS line.
    CommandHistory* history() { return m_history.get(); }
    const CommandHistory* history() const { return m_history.get(); }

    // Enter pressed with `line` in the box.
    void enter(const QString& line);
    // Delete pressed with history entry `index` chosen (-1: none) and `selectedLength`
    // characters of the edit text selected. The key then edits the text as usual.
    void deleteKey(int index, int selectedLength);
    // Puts a command into the box for the user to complete: text set, focus, caret at the end.
    void prefill(const QString& text);

Q_SIGNALS:
    // The box's edit text is to become `text` (empty: the box is emptied), caret at the end.
    void textSet(const QString& text);
    // The box is to take the input focus.
    void focusRequested();
    // A separate window's box was given "EXIT": that window closes.
    void closeRequested();

private:
    Box m_box;
    CommandLines& m_owner;
    std::unique_ptr<CommandHistory> m_history;
};

class CommandLines : public QObject
{
    Q_OBJECT
public:
    // The pause after a typed line (and before a chat line), so lines reach the node spaced.
    static constexpr int sendPause = 200;
    static constexpr const char* dxcHistoryFile = "dxc_history.dat";
    static constexpr const char* wwcHistoryFile = "wwc_history.dat";
    // The marker on the chat line that sends the rest of the line to the DX-cluster node.
    static constexpr const char* dxcRoute = ">>DXC ";
    // Pane labels ending the "CLS" banners.
    static constexpr const char* dxcLabel = ". DXC WINDOW";
    static constexpr const char* dxcSplitLabel = ". DXC(2) WINDOW";
    static constexpr const char* dxcTwinLabel = ". DXC(3) WINDOW";
    static constexpr const char* wwcLabel = ". WWC WINDOW";
    static constexpr const char* wwcTwinLabel = ". WWC(2) WINDOW";

    CommandLines(OptionsModel& options, Links& links, ErrorLog& errorLog, QString folder,
                 QObject* parent = nullptr);
    ~CommandLines() override;

    CommandLine txtDxCommand;
    CommandLine txtWwcCommand;
    CommandLine txtBbsCommand;
    CommandLine txtDxcCommand2;
    CommandLine txtWwcCommand2;

    // The "DXC ?:" check box of the WWC page: ticked, the main WWC line sends to the DXC link.
    bool chkWWCtoDXC() const { return m_wwcToDxc; }
    void setChkWWCtoDXC(bool on) { m_wwcToDxc = on; }

    // The screen banner of a pane, "ZENTHRA BY ..." and the pane's label.
    static QString banner(const char* label);
    // What a pane that mirrors another shows when the other's whole text becomes `text`: its
    // own banner in place of the other's (each pane names itself after "CLS"), else the text.
    static QString mirroredText(const QString& text, const char* mainLabel, const char* ownLabel);
    // What a line sent on a closed link reports: "Error: " + number + " - " + description.
    static QString sendErrorText(int number);
    // A separate window's box closes its window on "EXIT" alone (any case, blanks around).
    static bool isExitLine(const QString& line);
    // The text a chat line sends to the DX-cluster node: what follows the first ">>DXC " (any
    // case), or the whole line when it holds none.
    static QString routedText(const QString& line);

    // 0 load the WWC history, 1 save it, 2 load the DXC history, 3 save it. A load replaces
    // both boxes' lists; a failure is logged and leaves the lists as far as they were filled.
    void LOAD_SAVE_HISTORY(qint16 mode);
    // "Clear DXC History", "Clear WWC history": both boxes of the link; the files stay.
    void clearDxcHistory();
    void clearWwcHistory();

    // The "DXC Commands", "WWC Commands" and "BBS Commands" menus, by item index.
    void DXC_QUICK_COMMAND(int index);
    void mnuWwcComm_Click(int index);
    void mnuBbsComm_Click(int index);
    // The input box of "Set Away Text" and "Set Personal Text"; it must outlive this object.
    void setPrompter(const Prompter* prompter) { m_prompter = prompter; }

Q_SIGNALS:
    // A line for a link's window (echo, failed send).
    void windowText(zenthra::LinkPane pane, const QString& text);
    // "CLS": every pane of the link shows only its banner.
    void screenCleared(zenthra::LinkPane pane);
    // The main window is to show a tab (3 WWC).
    void tabRequested(int tab);

private:
    friend class CommandLine;
    void enter(CommandLine& box, const QString& line);
    void enterDxc(CommandLine& box, const QString& line);
    void enterWwc(CommandLine& box, const QString& line);
    void enterBbs(const QString& line);
    void sendToDxc(CommandLine& box, const QString& line);
    void echo(LinkPane pane, const QString& echoKey, const QString& line);
    CommandLine& twinOf(CommandLine& box);
    // Sends text + CR LF on the link in its paced order and reports the outcome (0: sent).
    void send(TelnetLink& link, const QString& text, int pauseBefore, std::function<void(int error)> done);
    // A ready-made command: sent at once in the link's order, nothing reported.
    void sendQuietly(TelnetLink& link, const QString& text);
    void loadHistory(qint16 mode, CommandLine& main, CommandLine& twin, const char* file);
    void saveHistory(qint16 mode, const CommandLine& main, const char* file);
    void askText(const QString& title, const QString& prompt, QString& stored);

    OptionsModel& m_options;
    Links& m_links;
    ErrorLog& m_errorLog;
    QString m_folder;
    bool m_wwcToDxc = false;
    const Prompter* m_prompter = nullptr;
};

} // namespace zenthra
