#pragma once
// The main window's DXC, WWC and BBS menus: connect, disconnect and status of each link, the node
// editors and imports, the separate DXC and WWC windows with their always-on-top marks, and the
// reconnect period; File > "&Help" with the help window. Plain check marks flip through the
// options model; this object owns the windows the menus open.

#include "shell/separate_link_window.h"
#include "spots/node_queries.h"

#include <QObject>
#include <QPointer>
#include <optional>

namespace zenthra {

class Application;
class HelpWindow;
class MainWindow;
class NodeEditorWindow;
class NodeImportWindow;
class OptionMenus;
class WindowMenus;

class LinkMenus : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* reconnectPrompt =
        "Please type the number in minutes (Min 5 Max 300) for  auto reconnect to clx (0=don't do it!)";

    // The reconnect period an answer sets: nothing for an empty (or cancelled) answer or one outside
    // 5..300; 0 (off) for an answer whose leading number is 0; else the number rounded.
    static std::optional<qint16> reconnectMinutes(const std::optional<QString>& answer);

    LinkMenus(Application& app, MainWindow& window, OptionMenus& dialogs, WindowMenus& windowMenus);

    void mnuDxc_Click(int index);
    void mnuWwc_Click(int index);
    void mnuBBS_Click(int index);
    void mnuDxcAlwaysOnTop_Click();
    void mnuWwcAlwaysOnTop_Click();
    void showSeparateWindow(SeparateLinkWindow::Kind kind);
    void mnuFile_Help();

    // The windows, created on first use (nullptr until then and after they closed).
    NodeEditorWindow* editor(NodeTable table) const;
    NodeImportWindow* importWindow(NodeTable table) const;
    SeparateLinkWindow* separateWindow(SeparateLinkWindow::Kind kind) const;
    HelpWindow* helpWindow() const;

    // Start-up: the DXC editor (its list fill reports a database that did not open) and both
    // separate windows, hidden. Shut-down closes the separate windows, which saves their places.
    void loadLinkWindows(int fontSize);
    void unloadLinkWindows();

private:
    NodeEditorWindow* ensureEditor(NodeTable table);
    SeparateLinkWindow* ensureSeparate(SeparateLinkWindow::Kind kind);
    void showEditor(NodeTable table);
    void showImport(NodeTable table);
    void setReconnectPeriod();
    void alwaysOnTop(const QString& item, SeparateLinkWindow::Kind kind);
    QPoint origin() const;
    void focusCommand(int tab, QWidget* commandLine);

    Application& m_app;
    MainWindow& m_window;
    OptionMenus& m_dialogs;
    WindowMenus& m_windowMenus;
    QPointer<NodeEditorWindow> m_editors[3];
    QPointer<NodeImportWindow> m_imports[3];
    QPointer<SeparateLinkWindow> m_separate[2];
    QPointer<HelpWindow> m_help;
};

} // namespace zenthra
