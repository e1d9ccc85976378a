// The "DX Spider" menu through the real main window, with nodes on loopback.

#include "dialog_program.h"
#include "links/spider_file.h"
#include "platform/text_file.h"
#include "shell/menu_table.h"
#include "shell/spider_menus.h"
#include "support/fake_node.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

using namespace zenthra;
using zenthra::test::FakeNode;

namespace {

struct SpiderProgram : test::DialogProgram
{
    // These tests read the error log, which a start-up in an empty folder writes to.
    SpiderProgram() { test::installStartFiles(dir); }

    // The shown command items of each submenu, top to bottom.
    QList<QStringList> menus() const
    {
        QList<QStringList> all;
        for (const QString& array : spiderMenuArrays()) {
            all.append(QStringList{});
            for (QAction* a : window->menu(array + u'0')->actions()) {
                if (a->isVisible() && !a->isSeparator()) {
                    all.back().append(a->text());
                }
            }
        }
        return all;
    }
    void import(const QStringList& lines)
    {
        dir.write("spider_menu.txt", test::fileOf(lines));
        click("mnuReloadSpiderCommands");
    }
    void pick(const QString& caption) const
    {
        for (QAction* a : window->menu("mnuSpiderSHOW0")->actions()) {
            if (a->text() == caption) {
                return a->trigger();
            }
        }
        ADD_FAILURE() << caption.toStdString();
    }
    // Opens DX Spider and then `header` with the keyboard, as a user does, and closes both again;
    // true when the submenu was on the screen with its commands.
    bool openSubmenu(const QString& header) const
    {
        QMenu* spider = window->menu("mnuSpider");
        QMenu* sub = window->menu(header);
        window->menuBar()->setActiveAction(spider->menuAction());
        if (!QTest::qWaitFor([&] { return spider->isVisible(); }, 2000)) {
            return false;
        }
        spider->setActiveAction(sub->menuAction());
        QTest::keyClick(spider, Qt::Key_Right);
        const bool shown = QTest::qWaitFor(
            [&] { return sub->isVisible() && sub->windowHandle() && sub->windowHandle()->isExposed(); },
            1000);
        const bool hasItems = sub->height() > 0;
        while (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
        window->menuBar()->setActiveAction(nullptr);
        return shown && hasItems;
    }
    QComboBox* dxcLine() const { return window->findChild<QComboBox*>("txtDxCommand"); }
    QLineEdit* bbsLine() const { return window->findChild<QLineEdit*>("txtBbsCommand"); }
    int tab() const { return window->tabSporadic()->currentIndex(); }
};

TEST(SpiderMenus, TheShippedFileFillsTheSeventeenSubmenusAndNeitherARestartNorAFailedImportChangesThem)
{
    SpiderProgram p;
    ASSERT_TRUE(DataFolder(p.dir.path()).installDefaults(ZENTHRA_SOURCE_ASSETS).contains("spider_menu.txt"));
    p.app->OPEN_ZENTHRA();
    p.click("mnuReloadSpiderCommands");
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].title, "Import result");
    EXPECT_EQ(p.told[0].text, "148 DX Spider commands were successfully imported to Zenthra");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    const SpiderFile file = readSpiderFile(*textfile::readLines(p.dir.file("spider_menu.txt")));
    QList<QStringList> expected(17);
    for (const SpiderCommand& c : file.commands) {
        expected[spiderTypeWords().indexOf(c.type)].append(c.command);
    }
    for (QStringList& group : expected) {
        EXPECT_FALSE(group.isEmpty());
        group.sort();
    }
    EXPECT_EQ(p.menus(), expected);

    p.app->restart();
    EXPECT_EQ(p.menus(), expected);

    p.import({"mnuSpiderKILL, KILL/FULL", "mnuSpiderSHOW SHOW/WWV"});
    ASSERT_EQ(p.told.size(), 2u);
    EXPECT_EQ(p.told[1].title, "Import Error");
    EXPECT_EQ(
        p.told[1].text,
        "Error: 5\r\nLine 2 of spider_menu.txt: no comma between type and command. Nothing was imported.");
    p.app->restart();
    EXPECT_EQ(p.menus(), expected);
}

TEST(SpiderMenus, ASubmenuOpenedWhileEmptyOpensOnceTheImportHasFilledIt)
{
    SpiderProgram p;
    p.app->OPEN_ZENTHRA();
    p.click("mnuDxSpiderView");
    // A fresh folder: every submenu is empty and cannot be opened.
    EXPECT_FALSE(p.openSubmenu("mnuSpiderKILL0"));
    p.import({"mnuSpiderKILL, KILL/FULL", "mnuSpiderKILL, KILL"});
    EXPECT_TRUE(p.openSubmenu("mnuSpiderKILL0"));
    EXPECT_FALSE(p.window->menuItem("mnuSpiderACCEPT0")->isEnabled());
}

TEST(SpiderMenus, ACommandFillsTheChosenCommandLineOrInHelpModeAsksTheNode)
{
    SpiderProgram p;
    FakeNode node;
    p.app->OPEN_ZENTHRA();
    p.import({"mnuSpiderSHOW, SHOW/DX"});
    p.dxcLine()->setEditText("old text");
    p.window->tabSporadic()->setCurrentIndex(3);
    p.pick("SHOW/DX");
    EXPECT_EQ(p.tab(), 0);
    EXPECT_EQ(p.dxcLine()->currentText(), "SHOW/DX ");
    EXPECT_EQ(p.dxcLine()->lineEdit()->cursorPosition(), 8);

    p.click("mnuSpiderBBS");
    p.dxcLine()->setEditText("");
    p.pick("SHOW/DX");
    EXPECT_EQ(p.tab(), 6);
    EXPECT_EQ(p.bbsLine()->text(), "SHOW/DX ");
    EXPECT_EQ(p.dxcLine()->currentText(), "");

    p.click("mnuDxSpiderView");
    EXPECT_TRUE(p.window->menuItem("mnuSpider")->isVisible());
    p.click("mnuDxSpiderView");
    EXPECT_FALSE(p.window->menuItem("mnuSpider")->isVisible());

    // Help mode on the closed BBS link is logged.
    p.click("mnuSpiderHelp");
    p.pick("SHOW/DX");
    EXPECT_EQ(p.app->textWindows().txtDataRetrieval[4].text(), "\r\n>>>HELP SHOW/DX<<< ");
    const QStringList log = p.dir.lines("muf_errors.log");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith("\t40006 - DXSPIDER_COMMANDS(SHOW/DX)")) << log[0].toStdString();

    p.click("mnuSpiderBBS");
    p.app->options().nodes.strDxcHost = "127.0.0.1";
    p.app->options().nodes.sngDxcPort = node.port();
    p.app->links().dxc.DXC_CONNECT();
    ASSERT_TRUE(node.accept());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.app->links().dxc.socket().state() == TelnetSocket::Connected; }));
    p.pick("SHOW/DX");
    EXPECT_EQ(node.received("HELP SHOW/DX\r\n"), "HELP SHOW/DX\r\n");
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(">>>HELP SHOW/DX<<<\r\n"));
    EXPECT_EQ(p.dxcLine()->currentText(), "");
}

} // namespace
