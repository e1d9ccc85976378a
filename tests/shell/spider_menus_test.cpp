// The "DX Spider" menu through the real main window: the import from the menu, the seventeen
// submenus built from the table, and what a command click does in each mode, against nodes on
// loopback.

#include "dialog_program.h"
#include "links/spider_file.h"
#include "platform/text_file.h"
#include "shell/menu_table.h"
#include "shell/spider_menus.h"
#include "support/fake_node.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::FakeNode;

namespace {

const QStringList submenuCaptions{"ACCEPT",  "ANNOUNCE",     "CLEAR", "DB",    "DELETE",      "EXPORT",
                                  "FORWARD", "KILL",         "LOAD",  "MISC",  "REJECT",      "SET",
                                  "SHOW",    "SHOW (SYSOP)", "STAT",  "UNSET", "USER DEFINED"};

struct SpiderProgram : DialogProgram
{
    QMenu* submenu(int group) const { return window->menu(spiderMenuArrays()[group] + u'0'); }
    // The captions of the shown command items of a submenu, top to bottom.
    QStringList commands(int group) const
    {
        QStringList out;
        for (QAction* a : submenu(group)->actions()) {
            if (!a->isSeparator() && a->isVisible()) {
                out.append(a->text());
            }
        }
        return out;
    }
    QList<QStringList> allCommands() const
    {
        QList<QStringList> all;
        for (int g = 0; g < spiderMenuArrays().size(); ++g) {
            all.append(commands(g));
        }
        return all;
    }
    QAction* command(int group, const QString& caption) const
    {
        for (QAction* a : submenu(group)->actions()) {
            if (a->text() == caption) {
                return a;
            }
        }
        ADD_FAILURE() << "no item " << caption.toStdString();
        return nullptr;
    }
    void writeCommands(const QStringList& lines) const { dir.write("spider_menu.txt", test::fileOf(lines)); }
    QComboBox* dxcLine() const { return window->findChild<QComboBox*>("txtDxCommand"); }
    QLineEdit* bbsLine() const { return window->findChild<QLineEdit*>("txtBbsCommand"); }
    int tab() const { return window->tabSporadic()->currentIndex(); }
};

constexpr int show = 12;
constexpr int userDefined = 16;

// What the shipped file lists, grouped as the menus show it: by type, sorted.
QList<QStringList> shippedGroups()
{
    const auto lines = textfile::readLines(QStringLiteral(ZENTHRA_SOURCE_ASSETS "/spider_menu.txt"));
    const SpiderFile file = readSpiderFile(lines.value_or(QStringList{}));
    const QStringList types = spiderTypeWords();
    QList<QStringList> groups(types.size());
    for (const SpiderCommand& c : file.commands) {
        groups[types.indexOf(c.type)].append(c.command);
    }
    for (QStringList& g : groups) {
        g.sort();
    }
    return groups;
}

TEST(SpiderMenus, TheShippedFileFillsTheSeventeenSubmenusInOrderAndARestartAddsNothing)
{
    SpiderProgram p;
    ASSERT_TRUE(DataFolder(p.dir.path()).installDefaults(ZENTHRA_SOURCE_ASSETS).contains("spider_menu.txt"));
    p.app->OPEN_ZENTHRA();
    for (int g = 0; g < 17; ++g) {
        EXPECT_EQ(p.submenu(g)->title(), submenuCaptions[g]);
        EXPECT_TRUE(p.commands(g).isEmpty()) << "the file is read only by the import";
    }

    p.click("mnuReloadSpiderCommands");
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Information);
    EXPECT_EQ(p.told[0].title, "Import result");
    EXPECT_EQ(p.told[0].text, "148 DX Spider commands were successfully imported to Zenthra");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    const QList<QStringList> expected = shippedGroups();
    EXPECT_EQ(p.allCommands(), expected);
    for (int g = 0; g < 17; ++g) {
        EXPECT_FALSE(expected[g].isEmpty()) << g;
        EXPECT_FALSE(p.window->menuItem(spiderMenuArrays()[g] + "(0)")->isVisible()) << g;
    }
    EXPECT_EQ(p.commands(userDefined), (QStringList{"SHOW/DX ON 2M", "SHOW/DX ON 4M", "SHOW/DX ON 6M"}));
    EXPECT_EQ(p.commands(show).mid(0, 2), (QStringList{"SHOW/CHAT", "SHOW/CONFIGURATION"}));

    // The database watchdog's restart, and a second import, leave every submenu as it was.
    p.app->restart();
    EXPECT_EQ(p.allCommands(), expected);
    p.click("mnuReloadSpiderCommands");
    EXPECT_EQ(p.allCommands(), expected);
    EXPECT_EQ(p.submenu(show)->actions().size(), expected[show].size() + 1);
}

TEST(SpiderMenus, AFailedImportReportsTheLineAndKeepsTheMenus)
{
    SpiderProgram p;
    p.app->OPEN_ZENTHRA();
    p.writeCommands({"mnuSpiderShow, show/users", "mnuSpiderSHOW, SHOW/DX", "mnuSpiderKILL, KILL"});
    p.click("mnuReloadSpiderCommands");
    const QList<QStringList> before = p.allCommands();
    EXPECT_EQ(before[show], (QStringList{"SHOW/DX", "SHOW/USERS"}));

    p.writeCommands({"mnuSpiderKILL, KILL/FULL", "# fine", "mnuSpiderSHOW SHOW/WWV"});
    p.click("mnuReloadSpiderCommands");
    ASSERT_EQ(p.told.size(), 2u);
    EXPECT_EQ(p.told[1].icon, QMessageBox::Critical);
    EXPECT_EQ(p.told[1].title, "Import Error");
    EXPECT_EQ(
        p.told[1].text,
        "Error: 5\r\nLine 3 of spider_menu.txt: no comma between type and command. Nothing was imported.");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(p.allCommands(), before);

    // A restart builds the menus from the table, which the failed import left whole.
    p.app->restart();
    EXPECT_EQ(p.allCommands(), before);

    QFile::remove(p.dir.file("spider_menu.txt"));
    p.click("mnuReloadSpiderCommands");
    ASSERT_EQ(p.told.size(), 3u);
    EXPECT_EQ(p.told[2].text, "Error: 53\r\nFile not found: spider_menu.txt");
    EXPECT_EQ(p.allCommands(), before);
}

TEST(SpiderMenus, ACommandClickFillsTheChosenCommandLineAndSendsNothing)
{
    SpiderProgram p;
    p.app->OPEN_ZENTHRA();
    p.writeCommands({"mnuSpiderSHOW, SHOW/DX", "mnuSpiderSET, SET/QRA"});
    p.click("mnuReloadSpiderCommands");
    p.dxcLine()->setEditText("old text");
    p.bbsLine()->setText("bbs text");
    p.window->tabSporadic()->setCurrentIndex(3);

    p.command(show, "SHOW/DX")->trigger();
    EXPECT_EQ(p.tab(), 0);
    EXPECT_EQ(p.dxcLine()->currentText(), "SHOW/DX ");
    EXPECT_EQ(p.dxcLine()->lineEdit()->cursorPosition(), 8);
    EXPECT_EQ(p.dxcLine()->count(), 0) << "no history entry before Enter";
    EXPECT_EQ(p.bbsLine()->text(), "bbs text");

    p.click("mnuSpiderBBS");
    p.command(11, "SET/QRA")->trigger();
    EXPECT_EQ(p.tab(), 6);
    EXPECT_EQ(p.bbsLine()->text(), "SET/QRA ");
    EXPECT_EQ(p.bbsLine()->cursorPosition(), 8);
    EXPECT_EQ(p.dxcLine()->currentText(), "SHOW/DX ");
    EXPECT_TRUE(p.dir.lines("muf_errors.log").isEmpty());
}

TEST(SpiderMenus, HelpModeSendsTheQueryToTheDxcNodeAndShowsTheBanner)
{
    SpiderProgram p;
    FakeNode node;
    p.app->OPEN_ZENTHRA();
    p.writeCommands({"mnuSpiderSHOW, SHOW/DX"});
    p.click("mnuReloadSpiderCommands");
    p.app->options().nodes.strDxcHost = "127.0.0.1";
    p.app->options().nodes.sngDxcPort = node.port();
    p.app->links().dxc.DXC_CONNECT();
    ASSERT_TRUE(node.accept());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.app->links().dxc.socket().state() == TelnetSocket::Connected; }));
    p.dxcLine()->setEditText("SH/WWV");

    p.click("mnuSpiderHelp");
    p.command(show, "SHOW/DX")->trigger();
    EXPECT_EQ(node.received("HELP SHOW/DX\r\n"), "HELP SHOW/DX\r\n");
    EXPECT_EQ(p.tab(), 0);
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(">>>HELP SHOW/DX<<<\r\n"));
    EXPECT_EQ(p.dxcLine()->currentText(), "SH/WWV");
    EXPECT_TRUE(p.dir.lines("muf_errors.log").isEmpty());
}

TEST(SpiderMenus, HelpModeUsesTheBbsLinkAndLogsASendOnAClosedOne)
{
    SpiderProgram p;
    p.app->OPEN_ZENTHRA();
    p.writeCommands({"mnuSpiderSHOW, SHOW/DX"});
    p.click("mnuReloadSpiderCommands");
    p.click("mnuSpiderHelp");
    p.click("mnuSpiderBBS");

    p.command(show, "SHOW/DX")->trigger();
    EXPECT_EQ(p.tab(), 6);
    EXPECT_EQ(p.app->textWindows().txtDataRetrieval[4].text(), "\r\n>>>HELP SHOW/DX<<< ");
    const QStringList log = p.dir.lines("muf_errors.log");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith("\t40006 - DXSPIDER_COMMANDS(SHOW/DX)")) << log[0].toStdString();
    EXPECT_EQ(p.bbsLine()->text(), "");

    FakeNode node;
    p.app->options().nodes.strBbsHost = "127.0.0.1";
    p.app->options().nodes.sngBbsPort = node.port();
    p.app->links().bbs.BBS_CONNECT();
    ASSERT_TRUE(node.accept());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.app->links().bbs.socket().state() == TelnetSocket::Connected; }));
    p.command(show, "SHOW/DX")->trigger();
    EXPECT_TRUE(node.received("HELP SHOW/DX\r\n").endsWith("HELP SHOW/DX\r\n"));
    EXPECT_EQ(p.dir.lines("muf_errors.log").size(), 1);
}

TEST(SpiderMenus, TheViewItemShowsAndHidesTheMenu)
{
    SpiderProgram p;
    p.app->OPEN_ZENTHRA();
    QAction* menu = p.window->menuItem("mnuSpider");
    EXPECT_FALSE(menu->isVisible());
    p.click("mnuDxSpiderView");
    EXPECT_TRUE(p.ticked("mnuDxSpiderView"));
    EXPECT_TRUE(menu->isVisible());
    p.click("mnuDxSpiderView");
    EXPECT_FALSE(p.ticked("mnuDxSpiderView"));
    EXPECT_FALSE(menu->isVisible());
}

} // namespace
