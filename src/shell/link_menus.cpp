#include "shell/link_menus.h"

#include "links/node_editor_window.h"
#include "links/node_import_window.h"
#include "platform/legacy_value.h"
#include "shell/application.h"
#include "shell/command_box.h"
#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "shell/settings_display.h"
#include "shell/topmost.h"
#include "shell/window_commands.h"
#include "shell/window_menus.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace zenthra {

namespace {

constexpr int dxcTab = 0;
constexpr int wwcTab = 3;
constexpr int bbsTab = 6;

int slot(NodeTable table)
{
    return static_cast<int>(table);
}

int slot(SeparateLinkWindow::Kind kind)
{
    return kind == SeparateLinkWindow::Kind::Dxc ? 0 : 1;
}

} // namespace

std::optional<qint16> LinkMenus::reconnectMinutes(const std::optional<QString>& answer)
{
    if (!answer || legacy::trim(*answer).isEmpty()) {
        return std::nullopt;
    }
    const double minutes = legacy::val(*answer);
    if (minutes == 0) {
        return qint16{0};
    }
    if (minutes >= 5 && minutes <= 300) {
        return static_cast<qint16>(legacy::roundHalfEven(minutes));
    }
    return std::nullopt;
}

LinkMenus::LinkMenus(Application& app, MainWindow& window, OptionMenus& dialogs, WindowMenus& windowMenus)
    : QObject(&window), m_app(app), m_window(window), m_dialogs(dialogs), m_windowMenus(windowMenus)
{
    setObjectName(QStringLiteral("linkMenus"));
    for (int index : {0, 1, 3, 4, 5, 7, 8}) {
        window.setMenuHandler(keys::dxc(index), [this, index] { mnuDxc_Click(index); });
    }
    for (int index : {0, 1, 4, 5, 6, 8}) {
        window.setMenuHandler(keys::wwc(index), [this, index] { mnuWwc_Click(index); });
    }
    for (int index = 0; index <= 5; ++index) {
        window.setMenuHandler(keys::bbs(index), [this, index] { mnuBBS_Click(index); });
    }
    window.setMenuHandler(keys::dxcSeparateWindow,
                          [this] { showSeparateWindow(SeparateLinkWindow::Kind::Dxc); });
    window.setMenuHandler(keys::wwcSeparateWindow,
                          [this] { showSeparateWindow(SeparateLinkWindow::Kind::Wwc); });
    window.setMenuHandler(keys::dxcAlwaysOnTop, [this] { mnuDxcAlwaysOnTop_Click(); });
    window.setMenuHandler(keys::wwcAlwaysOnTop, [this] { mnuWwcAlwaysOnTop_Click(); });
    window.setMenuHandler(keys::help, [this] { mnuFile_Help(); });

    connect(&m_app, &Application::linkWindowsLoading, this, &LinkMenus::loadLinkWindows);
    connect(&m_app, &Application::linkWindowsUnloading, this, &LinkMenus::unloadLinkWindows);
}

QPoint LinkMenus::origin() const
{
    const QPoint at = m_window.frameGeometry().topLeft();
    return {std::abs(at.x()), std::abs(at.y())};
}

void LinkMenus::focusCommand(int tab, QWidget* commandLine)
{
    m_window.tabSporadic()->setCurrentIndex(tab);
    commandLine->setFocus();
}

void LinkMenus::mnuDxc_Click(int index)
{
    DxcLink& dxc = m_app.links().dxc;
    switch (index) {
    case 0:
        showEditor(NodeTable::Dxc);
        break;
    case 1:
        showImport(NodeTable::Dxc);
        break;
    case 3:
        setReconnectPeriod();
        break;
    case 4:
        focusCommand(dxcTab, m_window.txtDxCommand());
        m_app.connectDxcLink();
        break;
    case 5:
        dxc.DXC_DISCONNECT();
        break;
    case 7:
        m_app.setStatus(dxc.status());
        break;
    case 8:
        focusCommand(dxcTab, m_window.txtDxCommand());
        break;
    default:
        break;
    }
}

void LinkMenus::mnuWwc_Click(int index)
{
    WwcLink& wwc = m_app.links().wwc;
    switch (index) {
    case 0:
        showEditor(NodeTable::Wwc);
        break;
    case 1:
        showImport(NodeTable::Wwc);
        break;
    case 4:
        focusCommand(wwcTab, m_window.txtWwcCommand());
        m_app.connectWwcLink();
        break;
    case 5:
        wwc.WWC_DISCONNECT();
        break;
    case 6:
        m_app.setStatus(wwc.status());
        break;
    case 8:
        focusCommand(wwcTab, m_window.txtWwcCommand());
        break;
    default:
        break;
    }
}

void LinkMenus::mnuBBS_Click(int index)
{
    BbsLink& bbs = m_app.links().bbs;
    switch (index) {
    case 0:
        showEditor(NodeTable::Bbs);
        break;
    case 1:
        showImport(NodeTable::Bbs);
        break;
    case 2:
        m_window.tabSporadic()->setCurrentIndex(bbsTab);
        bbs.BBS_CONNECT();
        break;
    case 3:
        bbs.BBS_DISCONNECT();
        break;
    case 4:
        m_app.setStatus(bbs.status());
        break;
    case 5:
        focusCommand(bbsTab, m_window.txtBbsCommand());
        break;
    default:
        break;
    }
}

void LinkMenus::setReconnectPeriod()
{
    OptionsModel& options = m_app.options();
    const std::optional<qint16> minutes = reconnectMinutes(m_dialogs.ask(
        {}, QString::fromLatin1(reconnectPrompt), QString::number(options.intReconnectMinutes)));
    if (minutes) {
        options.intReconnectMinutes = *minutes;
    }
}

NodeEditorWindow* LinkMenus::editor(NodeTable table) const
{
    return m_editors[slot(table)];
}

NodeImportWindow* LinkMenus::importWindow(NodeTable table) const
{
    return m_imports[slot(table)];
}

HelpWindow* LinkMenus::helpWindow() const
{
    return m_help;
}

SeparateLinkWindow* LinkMenus::separateWindow(SeparateLinkWindow::Kind kind) const
{
    return m_separate[slot(kind)];
}

NodeEditorWindow* LinkMenus::ensureEditor(NodeTable table)
{
    QPointer<NodeEditorWindow>& editor = m_editors[slot(table)];
    if (!editor) {
        editor = new NodeEditorWindow(
            table, m_app.database(), m_app.options().nodes, m_app.errorLog(),
            [this](QString text) { m_app.textWindows().POPULATE_DXC_WINDOW(text); }, &m_window);
        editor->move(origin());
    }
    return editor;
}

void LinkMenus::showEditor(NodeTable table)
{
    // An editor already there holds the list of its last load: the nodes an import (or another
    // editor) has stored since would be missing. A new one has just loaded it.
    const bool there = m_editors[slot(table)] != nullptr;
    NodeEditorWindow* editor = ensureEditor(table);
    if (there) {
        editor->LOAD_LIST();
    }
    editor->show();
    SET_TOPMOST(editor, true);
    editor->raise();
}

void LinkMenus::showImport(NodeTable table)
{
    QPointer<NodeImportWindow>& window = m_imports[slot(table)];
    if (!window) {
        window = new NodeImportWindow(table, m_app.database(), m_app.folder().path(), &m_window);
        // The BBS import keeps its own place.
        if (table != NodeTable::Bbs) {
            window->move(origin());
        }
    }
    window->show();
    SET_TOPMOST(window, true);
    window->raise();
}

SeparateLinkWindow* LinkMenus::ensureSeparate(SeparateLinkWindow::Kind kind)
{
    QPointer<SeparateLinkWindow>& window = m_separate[slot(kind)];
    if (!window) {
        const bool dxc = kind == SeparateLinkWindow::Kind::Dxc;
        TextWindow& model = dxc ? m_app.textWindows().TBCluster : m_app.textWindows().txtDataRetrieval[2];
        window = new SeparateLinkWindow(kind, model, m_app.folder().path(), origin(),
                                        m_app.options().intFontSize, &m_window);
        SeparateLinkWindow* w = window;
        // The box is one more binding of the link's command line: Enter, history and "EXIT".
        CommandLine& line = dxc ? m_app.commandLines().txtDxcCommand2 : m_app.commandLines().txtWwcCommand2;
        bindCommandBox(line, w->commandBox());
        connect(&line, &CommandLine::closeRequested, w, &QWidget::close);
        connect(w, &SeparateLinkWindow::menuRequested, this,
                [this, w, dxc](const QPoint& at) { m_windowMenus.popupOver(w->pane(), !dxc, at); });
        if (!dxc) {
            connect(w, &SeparateLinkWindow::selectionReleased, this, [this, w](const QString& selection) {
                if (!m_app.options().checked(keys::wwcMsgText)) {
                    return;
                }
                const std::optional<QString> command = windowcommands::messageCommand(selection);
                if (!command) {
                    return;
                }
                QLineEdit* line = w->commandBox()->lineEdit();
                w->commandBox()->setFocus();
                line->setText(*command);
                line->setCursorPosition(static_cast<int>(line->text().size()));
            });
        }
    }
    return window;
}

void LinkMenus::showSeparateWindow(SeparateLinkWindow::Kind kind)
{
    ensureSeparate(kind)->showMirror();
}

void LinkMenus::alwaysOnTop(const QString& item, SeparateLinkWindow::Kind kind)
{
    OptionsModel& options = m_app.options();
    const bool on = !options.checked(item);
    options.setChecked(item, on);
    SET_TOPMOST(ensureSeparate(kind), on);
}

void LinkMenus::mnuDxcAlwaysOnTop_Click()
{
    alwaysOnTop(keys::dxcAlwaysOnTop, SeparateLinkWindow::Kind::Dxc);
}

void LinkMenus::mnuWwcAlwaysOnTop_Click()
{
    alwaysOnTop(keys::wwcAlwaysOnTop, SeparateLinkWindow::Kind::Wwc);
}

void LinkMenus::mnuFile_Help()
{
    if (!m_help) {
        m_help = new HelpWindow(m_app.folder().path(), programVersion(), &m_window);
        m_help->move(origin());
    }
    m_help->setFontSize(m_window.TBCluster()->font().pointSize());
    m_help->show();
    m_help->raise();
}

void LinkMenus::loadLinkWindows(int fontSize)
{
    // Loading the DX-cluster editor fills its list: the first use of the node tables in a run,
    // which reports in the DXC window when the database did not open.
    ensureEditor(NodeTable::Dxc);
    for (auto kind : {SeparateLinkWindow::Kind::Dxc, SeparateLinkWindow::Kind::Wwc}) {
        ensureSeparate(kind)->setFontSize(fontSize);
    }
}

void LinkMenus::unloadLinkWindows()
{
    for (QPointer<SeparateLinkWindow>& window : m_separate) {
        if (window) {
            window->close();
        }
    }
}

} // namespace zenthra
