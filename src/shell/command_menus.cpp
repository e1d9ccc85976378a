#include "shell/command_menus.h"

#include "shell/application.h"
#include "shell/command_box.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

namespace zenthra {

namespace {

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

} // namespace

CommandMenus::CommandMenus(Application& app, MainWindow& window, OptionMenus& dialogs) : QObject(&window)
{
    setObjectName(QStringLiteral("commandMenus"));
    CommandLines& lines = app.commandLines();
    bindCommandBox(lines.txtDxCommand, window.findChild<QComboBox*>(QStringLiteral("txtDxCommand")));
    bindCommandBox(lines.txtWwcCommand, window.findChild<QComboBox*>(QStringLiteral("txtWwcCommand")));
    bindCommandBox(lines.txtBbsCommand, window.findChild<QLineEdit*>(QStringLiteral("txtBbsCommand")));
    if (auto* toDxc = window.findChild<QCheckBox*>(QStringLiteral("chkWWCtoDXC"))) {
        lines.setChkWWCtoDXC(toDxc->isChecked());
        connect(toDxc, &QCheckBox::toggled, this, [&lines](bool on) { lines.setChkWWCtoDXC(on); });
    }
    connect(&lines, &CommandLines::tabRequested, this,
            [&window](int tab) { window.tabSporadic()->setCurrentIndex(tab); });
    lines.setAsk([&dialogs](const QString& title, const QString& prompt, const QString& preset) {
        return dialogs.ask(title, prompt, preset);
    });

    for (int i = 0; i < 6; ++i) {
        window.setMenuHandler(indexed("mnuDxcComm", i), [&lines, i] { lines.DXC_QUICK_COMMAND(i); });
        window.setMenuHandler(indexed("mnuBbsComm", i), [&lines, i] { lines.mnuBbsComm_Click(i); });
    }
    for (int i = 0; i < 7; ++i) {
        window.setMenuHandler(indexed("mnuWwcComm", i), [&lines, i] { lines.mnuWwcComm_Click(i); });
    }
    window.setMenuHandler(QStringLiteral("mnuDxcClearHistory"), [&lines] { lines.clearDxcHistory(); });
    window.setMenuHandler(QStringLiteral("mnuClearWwcHistory"), [&lines] { lines.clearWwcHistory(); });
}

} // namespace zenthra
