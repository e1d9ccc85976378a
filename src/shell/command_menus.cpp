#include "shell/command_menus.h"

#include "core/option_keys.h"
#include "shell/application.h"
#include "shell/command_box.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "shell/wwc_popup_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

namespace zenthra {

namespace {

} // namespace

CommandMenus::CommandMenus(Application& app, MainWindow& window, OptionMenus& dialogs) : QObject(&window)
{
    setObjectName(QStringLiteral("commandMenus"));
    CommandLines& lines = app.commandLines();
    bindCommandBox(lines.txtDxCommand, window.txtDxCommand());
    bindCommandBox(lines.txtWwcCommand, window.txtWwcCommand());
    bindCommandBox(lines.txtBbsCommand, window.txtBbsCommand());
    QCheckBox* toDxc = window.chkWWCtoDXC();
    lines.setChkWWCtoDXC(toDxc->isChecked());
    connect(toDxc, &QCheckBox::toggled, this, [&lines](bool on) { lines.setChkWWCtoDXC(on); });
    connect(&lines, &CommandLines::tabRequested, this,
            [&window](int tab) { window.tabSporadic()->setCurrentIndex(tab); });
    lines.setPrompter(&dialogs);

    for (int i = 0; i < 6; ++i) {
        window.setMenuHandler(keys::dxcCommand(i), [&lines, i] { lines.DXC_QUICK_COMMAND(i); });
        window.setMenuHandler(keys::bbsCommand(i), [&lines, i] { lines.mnuBbsComm_Click(i); });
    }
    for (int i = 0; i < 7; ++i) {
        window.setMenuHandler(keys::wwcCommand(i), [&lines, i] { lines.mnuWwcComm_Click(i); });
    }
    window.setMenuHandler(keys::dxcClearHistory, [&lines] { lines.clearDxcHistory(); });
    window.setMenuHandler(keys::wwcClearHistory, [&lines] { lines.clearWwcHistory(); });

    connect(&app.links().bbs, &BbsLink::focusCommandLine, this,
            [&lines] { Q_EMIT lines.txtBbsCommand.focusRequested(); });

    // The chat pop-up: hidden until a message comes; a call picked in it prepares a reply.
    auto* popup = new WwcPopupWindow(app.wwcPopup(), app.options(),
                                     app.folder().file(QLatin1String(WwcPopup::geometryFile)), &window);
    connect(popup, &WwcPopupWindow::replyChosen, this, [&window, &lines](const QString& command) {
        window.tabSporadic()->setCurrentIndex(3);
        // The keys go where the reply is typed: the pop-up had them since the click.
        window.activateWindow();
        lines.txtWwcCommand.prefill(command);
    });
    connect(&app.wwcPopup(), &WwcPopup::focusReturned, this, [&window, &lines] {
        switch (window.tabSporadic()->currentIndex()) {
        case 3:
            Q_EMIT lines.txtWwcCommand.focusRequested();
            break;
        case 0:
            Q_EMIT lines.txtDxCommand.focusRequested();
            break;
        default:
            break;
        }
    });
    connect(&app, &Application::endProgram, popup, &WwcPopupWindow::unload);
}

} // namespace zenthra
