// The DXC, WWC and BBS menus and File > "&Help" through the real main window, headless, with the
// links connecting to nodes on loopback.

#include "links/node_editor_window.h"
#include "links/separate_link_window.h"
#include "shell/help_window.h"
#include "shell/link_menus.h"
#include "support/fake_node.h"
#include "support/settings_lines.h"

#include "shell/dialog_program.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::FakeNode;

namespace {

LinkMenus& linkMenus(DialogProgram& p)
{
    return *p.window->findChild<LinkMenus*>();
}

// Lets the paced steps of the links run for a while.
void turn(int ms)
{
    QTest::qWait(ms);
}

TEST(LinkMenus, AddANodeInTheEditorPickItConnectAndDisconnect)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    FakeNode node;
    p.click(QStringLiteral("mnuDxc(0)"));
    NodeEditorWindow* editor = linkMenus(p).editor(NodeTable::Dxc);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QString texts[] = {QStringLiteral("Loopback"), QStringLiteral("127.0.0.1"),
                             QString::number(node.port()), QStringLiteral("XX1XX"), QString()};
    for (int i = 0; i < 5; ++i) {
        editor->txtDXC(i)->setText(texts[i]);
    }
    editor->findChild<QPushButton*>(QStringLiteral("cmdControl(1)"))->click();
    ASSERT_EQ(editor->lstDXC()->count(), 1);
    editor->lstDXC()->setCurrentRow(0);
    editor->lstDXC_Click();
    EXPECT_EQ(p.app->options().nodes.sngDxcPort, node.port());

    p.click(QStringLiteral("mnuDxc(4)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 0);
    ASSERT_TRUE(node.accept());
    turn(100);
    p.click(QStringLiteral("mnuDxc(7)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. DXC STATUS: Connected"));

    p.click(QStringLiteral("mnuDxc(5)"));
    EXPECT_EQ(node.received("bye\r\nq\r\n"), QByteArray("bye\r\nq\r\n"));
    EXPECT_TRUE(node.closedByClient());
}

TEST(LinkMenus, ConnectAndDisconnectTheChatAndBbsLinks)
{
    DialogProgram p;
    FakeNode chat;
    FakeNode bbs;
    CurrentNode& nodes = p.app->options().nodes;
    nodes.strWwcHost = nodes.strBbsHost = QStringLiteral("127.0.0.1");
    nodes.sngWwcPort = chat.port();
    nodes.sngBbsPort = bbs.port();

    p.click(QStringLiteral("mnuBBS(2)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 6);
    ASSERT_TRUE(bbs.accept());
    p.click(QStringLiteral("mnuWwc(4)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 3);
    ASSERT_TRUE(chat.accept());
    turn(400);
    p.click(QStringLiteral("mnuBBS(4)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. BBS STATUS: Connected"));
    p.click(QStringLiteral("mnuWwc(6)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. WWC STATUS: Connected"));

    p.click(QStringLiteral("mnuBBS(3)"));
    EXPECT_EQ(bbs.received("bye\r\nq\r\n"), QByteArray("bye\r\nq\r\n"));
    p.click(QStringLiteral("mnuWwc(5)"));
    EXPECT_EQ(chat.received("/quit\r\nb\r\n"), QByteArray("/quit\r\nb\r\n"));
    EXPECT_TRUE(chat.closedByClient());
    EXPECT_TRUE(bbs.closedByClient());
}

TEST(LinkMenus, TheReconnectPeriodTakesFiveToThreeHundredMinutesOrZero)
{
    DialogProgram p;
    qint16& minutes = p.app->options().intReconnectMinutes;
    minutes = 60;
    p.answer("4");
    p.click(QStringLiteral("mnuDxc(3)"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].prompt, QStringLiteral("Please type the number in minutes (Min 5 Max 300) for  auto "
                                                "reconnect to clx (0=don't do it!)"));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("60"));
    EXPECT_EQ(minutes, 60);

    const std::pair<std::optional<QString>, std::optional<qint16>> cases[] = {
        {QStringLiteral("300"), 300},
        {QStringLiteral("301"), std::nullopt},
        {QStringLiteral("5"), 5},
        {QStringLiteral("abc"), 0},
        {QStringLiteral("10 minutes"), 10},
        {QStringLiteral("  "), std::nullopt},
        {std::nullopt, std::nullopt},
        {QStringLiteral("7.5"), 8},
        {QStringLiteral("-5"), std::nullopt},
    };
    for (const auto& [answer, expected] : cases) {
        EXPECT_EQ(LinkMenus::reconnectMinutes(answer), expected)
            << answer.value_or("(cancelled)").toStdString();
    }
}

TEST(LinkMenus, TheSeparateWindowMirrorsTheDxcWindowAndClosesOnExit)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    QString line = QStringLiteral("before");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    p.click(QStringLiteral("mnuDxcSeperateWindow"));
    SeparateLinkWindow* w = linkMenus(p).separateWindow(SeparateLinkWindow::Kind::Dxc);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->pane()->toPlainText().contains(QLatin1String("before")));
    line = QStringLiteral("after");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    DialogProgram::settle();
    EXPECT_TRUE(w->pane()->toPlainText().contains(QLatin1String("after")));

    // Twice "always on top?" leaves it released and unticked.
    p.click(QStringLiteral("mnuDxcAlwaysOnTop"));
    EXPECT_TRUE(p.ticked(QStringLiteral("mnuDxcAlwaysOnTop")));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    p.click(QStringLiteral("mnuDxcAlwaysOnTop"));
    EXPECT_FALSE(p.ticked(QStringLiteral("mnuDxcAlwaysOnTop")));
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // A command that merely holds the word is sent (here it fails: nothing is connected).
    QLineEdit* box = w->commandBox()->lineEdit();
    box->setText(QStringLiteral("sh/dx exit"));
    QTest::keyClick(box, Qt::Key_Return);
    turn(50);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(QLatin1String("Error: 40006")));
    QPointer<SeparateLinkWindow> watched(w);
    box->setText(QStringLiteral("Exit"));
    QTest::keyClick(box, Qt::Key_Return);
    DialogProgram::settle();
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(p.dir.lines(QStringLiteral("dxc_view.dat")).size(), 4);
    auto* main = p.window->findChild<QComboBox*>(QStringLiteral("txtDxCommand"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->findText(QStringLiteral("Exit")), 0); // the history took it first
}

TEST(LinkMenus, TheEditorsAndImportsOpenFromTheirMenus)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    p.click(QStringLiteral("mnuWwc(0)"));
    p.click(QStringLiteral("mnuBBS(0)"));
    p.click(QStringLiteral("mnuDxc(1)"));
    p.click(QStringLiteral("mnuWwc(1)"));
    p.click(QStringLiteral("mnuBBS(1)"));
    for (const char* name : {"frmWWC", "frmBBS", "frmDxcImport", "frmWwcImport", "frmBbsImport"}) {
        auto* w = p.window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isVisible()) << name;
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << name;
    }
}

TEST(LinkMenus, HelpShowsTheManualAtTheDxcWindowsSize)
{
    DialogProgram p;
    DataFolder(p.dir.path()).installDefaults(QStringLiteral(ZENTHRA_SOURCE_ASSETS));
    p.window->applyFontSize(13);
    p.click(QStringLiteral("mnuFile(0)"));
    HelpWindow* help = linkMenus(p).helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->windowTitle().startsWith(QLatin1String("Cluster Help  --- Zenthra V")));
    EXPECT_TRUE(help->txtHelp()->toPlainText().contains(QLatin1String("Reading the MUF figures")));
    EXPECT_EQ(help->txtHelp()->font().pointSize(), 13);
}

TEST(LinkMenus, StartUpReportsADatabaseThatDidNotOpenInTheDxcWindow)
{
    DialogProgram p;
    FakeNode closed; // a port nobody answers on once the server is gone
    const QString address = QStringLiteral("127.0.0.1:%1").arg(closed.port());
    zenthra::test::prepareSettings(p.dir, {{1, "s"}, {2, address}, {3, "zenthra"}, {4, "nobody"}});
    p.app->OPEN_ZENTHRA();
    const QString text = p.app->textWindows().TBCluster.text();
    EXPECT_TRUE(text.contains(QLatin1String(" Telnet List Error"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("Fatal database error, If this is the first time")));
    EXPECT_TRUE(text.contains(QLatin1String("Fatal database error, program will crash!")));
}

} // namespace
