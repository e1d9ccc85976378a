#include "shell/spider_menus.h"

#include "core/error_log.h"
#include "core/option_keys.h"
#include "core/options_model.h"
#include "core/prompter.h"
#include "links/links.h"
#include "links/spider_table.h"
#include "platform/data_folder.h"
#include "shell/main_window.h"
#include "shell/menu_table.h"
#include "shell/text_windows.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>

namespace zenthra {

namespace {

constexpr int dxcTab = 0;
constexpr int bbsTab = 6;

// Keeps the hourglass up while the import runs, whichever way it ends.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

QStringList spiderTypeWords()
{
    QStringList words;
    for (const QString& array : spiderMenuArrays()) {
        words.append(array.toUpper());
    }
    return words;
}

SpiderMenus::SpiderMenus(MainWindow& window, Services services)
    : QObject(&window), m_window(window), m_services(services), m_items(spiderMenuArrays().size())
{
    setObjectName(QStringLiteral("spiderMenus"));
    window.setMenuHandler(keys::dxSpiderView, [this] { mnuDxSpiderView_Click(); });
    window.setMenuHandler(keys::reloadSpiderCommands, [this] { IMPORT_SPIDER_COMMANDS(); });
    connect(&m_services.table, &SpiderTable::menusChanged, this, &SpiderMenus::rebuild);
    rebuild();
}

void SpiderMenus::mnuDxSpiderView_Click()
{
    m_services.options.setSpiderMenuVisible(m_services.options.toggle(keys::dxSpiderView));
}

void SpiderMenus::IMPORT_SPIDER_COMMANDS()
{
    SpiderTable::ImportOutcome outcome;
    {
        const BusyCursor busy;
        outcome = m_services.table.IMPORT_SPIDER_COMMANDS(
            m_services.folder.file(QLatin1String(SpiderTable::fileName)));
    }
    if (outcome.ok) {
        m_services.dialogs.tell(Prompter::Icon::Information, QLatin1String(importResultTitle),
                                QString::number(outcome.count) + QLatin1String(importedText));
    } else {
        m_services.dialogs.tell(Prompter::Icon::Critical, QLatin1String(importErrorTitle),
                                QStringLiteral("Error: ") + QString::number(qint64(outcome.errorNumber)) +
                                    QStringLiteral("\r\n") + outcome.description);
    }
}

void SpiderMenus::DXSPIDER_COMMANDS(const QString& cmd)
{
    const bool bbs = m_services.options.checked(keys::spiderBbs);
    m_window.tabSporadic()->setCurrentIndex(bbs ? bbsTab : dxcTab);

    if (m_services.options.checked(keys::spiderHelp)) {
        QString banner = QStringLiteral(">>>HELP ") + cmd + QStringLiteral("<<<\r\n");
        if (bbs) {
            m_services.windows.POPULATE_BBS_WINDOW(banner);
        } else {
            m_services.windows.POPULATE_DXC_WINDOW(banner);
        }
        TelnetSocket& socket = bbs ? m_services.links.bbs.socket() : m_services.links.dxc.socket();
        const int error = socket.sendData(QStringLiteral("HELP ") + cmd + QStringLiteral("\r\n"));
        if (error != 0) {
            m_services.log.WRITE_ERROR_LOG(error, QStringLiteral("DXSPIDER_COMMANDS(") + cmd + u')');
        }
        return;
    }

    const QString line = cmd + u' ';
    QLineEdit* edit = bbs ? m_window.txtBbsCommand() : m_window.txtDxCommand()->lineEdit();
    edit->setText(line);
    edit->setFocus();
    edit->setCursorPosition(static_cast<int>(line.size()));
}

void SpiderMenus::rebuild()
{
    const QList<QString>& arrays = spiderMenuArrays();
    const QList<QStringList>& groups = m_services.table.groups();
    for (qsizetype g = 0; g < arrays.size() && g < groups.size(); ++g) {
        QMenu* menu = m_window.menu(arrays[g] + u'0');
        if (!menu) {
            continue;
        }
        QList<QAction*>& items = m_items[g];
        const QStringList& commands = groups[g];
        for (qsizetype n = 0; n < commands.size(); ++n) {
            if (n == items.size()) {
                auto* item = menu->addAction(QString());
                item->setObjectName(arrays[g] + u'(' + QString::number(n + 1) + u')');
                connect(item, &QAction::triggered, this,
                        [this, item] { DXSPIDER_COMMANDS(item->data().toString()); });
                items.append(item);
            }
            // The caption is the command as it stands; "&" would otherwise mark a shortcut letter.
            QString caption = commands[n];
            items[n]->setText(caption.replace(u'&', QStringLiteral("&&")));
            items[n]->setData(commands[n]);
        }
        while (items.size() > commands.size()) {
            delete items.takeLast();
        }
        const bool placeholderShown = m_services.table.placeholderVisible(static_cast<int>(g));
        if (QAction* placeholder = m_window.menuItem(arrays[g] + QStringLiteral("(0)"))) {
            placeholder->setVisible(placeholderShown);
        }
        // A submenu opened with nothing to show gets no size, and Qt never puts it on the screen
        // again, not even once it has commands. So a submenu without a shown item cannot be opened.
        menu->menuAction()->setEnabled(!commands.isEmpty() || placeholderShown);
    }
}

} // namespace zenthra
