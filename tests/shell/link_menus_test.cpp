// The DXC, WWC and BBS menus and File > "&Help" through the real main window, headless, with the
// links connecting to nodes on loopback.

#include "links/node_editor_window.h"
#include "links/node_import_window.h"
#include "shell/help_window.h"
#include "shell/link_menus.h"
#include "shell/separate_link_window.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/fifo_guard.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include <tuple>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::FakeNode;

namespace {

LinkMenus& linkMenus(DialogProgram& p)
{
    return *p.window->findChild<LinkMenus*>();
}

TEST(LinkMenus, PickANodeInTheEditorThenConnectAndDisconnectEachLink)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    FakeNode dxc;
    FakeNode chat;
    FakeNode bbs;
    p.click(QStringLiteral("mnuDxc(0)"));
    NodeEditorWindow* editor = linkMenus(p).editor(NodeTable::Dxc);
    ASSERT_NE(editor, nullptr);
    const QString texts[] = {QStringLiteral("Loopback"), QStringLiteral("127.0.0.1"),
                             QString::number(dxc.port()), QStringLiteral("XX1XX"), QString()};
    for (int i = 0; i < 5; ++i) {
        editor->txtDXC(i)->setText(texts[i]);
    }
    editor->findChild<QPushButton*>(QStringLiteral("cmdControl(1)"))->click();
    CurrentNode& nodes = p.app->options().nodes;
    EXPECT_EQ(nodes.sngDxcPort, dxc.port());
    nodes.strWwcHost = nodes.strBbsHost = QStringLiteral("127.0.0.1");
    nodes.sngWwcPort = chat.port();
    nodes.sngBbsPort = bbs.port();

    p.click(QStringLiteral("mnuDxc(4)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 0);
    ASSERT_TRUE(dxc.accept());
    p.click(QStringLiteral("mnuBBS(2)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 6);
    ASSERT_TRUE(bbs.accept());
    p.click(QStringLiteral("mnuWwc(4)"));
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 3);
    ASSERT_TRUE(chat.accept());
    // The links connect after their paced steps.
    const Links& links = p.app->links();
    EXPECT_EVENTUALLY(links.dxc.socket().state() == TelnetSocket::Connected &&
                          links.wwc.socket().state() == TelnetSocket::Connected &&
                          links.bbs.socket().state() == TelnetSocket::Connected,
                      5000);
    p.click(QStringLiteral("mnuDxc(7)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. DXC STATUS: Connected"));
    p.click(QStringLiteral("mnuBBS(4)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. BBS STATUS: Connected"));
    p.click(QStringLiteral("mnuWwc(6)"));
    EXPECT_EQ(p.app->status(), QStringLiteral("Zenthra calcs from DXC. WWC STATUS: Connected"));

    p.click(QStringLiteral("mnuDxc(5)"));
    EXPECT_EQ(dxc.received("bye\r\nq\r\n"), QByteArray("bye\r\nq\r\n"));
    p.click(QStringLiteral("mnuBBS(3)"));
    EXPECT_EQ(bbs.received("bye\r\nq\r\n"), QByteArray("bye\r\nq\r\n"));
    p.click(QStringLiteral("mnuWwc(5)"));
    EXPECT_EQ(chat.received("/quit\r\nb\r\n"), QByteArray("/quit\r\nb\r\n"));
    EXPECT_TRUE(dxc.closedByClient() && chat.closedByClient() && bbs.closedByClient());
}

TEST(LinkMenus, TheReconnectPeriodTakesFiveToThreeHundredMinutesOrZero)
{
    DialogProgram p;
    qint16& minutes = p.app->options().intReconnectMinutes;
    minutes = 60;
    p.answer("4");
    p.click(QStringLiteral("mnuDxc(3)"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("60"));
    EXPECT_EQ(minutes, 60);

    const std::pair<std::optional<QString>, std::optional<qint16>> cases[] = {
        {QStringLiteral("300"), 300}, {QStringLiteral("301"), std::nullopt}, {QStringLiteral("5"), 5},
        {QStringLiteral("abc"), 0},   {QStringLiteral("  "), std::nullopt},  {std::nullopt, std::nullopt},
        {QStringLiteral("7.5"), 8},
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
    QTest::qWait(50); // the window stays open
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(QLatin1String("Error: 40006")));
    QPointer<SeparateLinkWindow> watched(w);
    box->setText(QStringLiteral("Exit"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EVENTUALLY(watched.isNull(), 2000);
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

TEST(LinkMenus, AnEditorShownAgainListsTheNodesImportedMeanwhile)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    int told = 0;
    const LinkDialogs dialogs{[&told](QMessageBox::Icon, const QString&, const QString&) { ++told; }, {}};
    // The editor's menu, the import's menu and window, the list's file.
    for (const auto& [table, menu, window, file] :
         {std::tuple{NodeTable::Dxc, "mnuDxc", "frmDxcImport", "DXC.csv"},
          std::tuple{NodeTable::Wwc, "mnuWwc", "frmWwcImport", "wwc.csv"},
          std::tuple{NodeTable::Bbs, "mnuBBS", "frmBbsImport", "bbs.csv"}}) {
        p.click(QString::fromLatin1(menu) + "(0)");
        p.dir.write(QString::fromLatin1(file), "One,one.example,7300\r\ntwo,two.example,23\r\n");
        p.click(QString::fromLatin1(menu) + "(1)");
        auto* import = p.window->findChild<NodeImportWindow*>(QString::fromLatin1(window));
        import->setDialogs(dialogs);
        told = 0;
        import->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
        EXPECT_EVENTUALLY_EQ(told, 1, 5000);
        p.click(QString::fromLatin1(menu) + "(0)");
        const QListWidget* list = linkMenus(p).editor(table)->lstDXC();
        ASSERT_EQ(list->count(), 2) << file;
        EXPECT_EQ(list->item(0)->text() + '|' + list->item(1)->text(),
                  "1 ONE one.example 7300   |2 TWO two.example 23   ");
    }
}

TEST(LinkMenus, HelpShowsEachFileAtTheDxcWindowsSizeAndTheErrorLineForAMissingOne)
{
    DialogProgram p;
    DataFolder(p.dir.path()).installDefaults(QStringLiteral(ZENTHRA_SOURCE_ASSETS));
    QFile::remove(p.dir.file(QStringLiteral("clx_help.rtf")));
    p.window->applyFontSize(13);
    p.click(QStringLiteral("mnuFile(0)"));
    HelpWindow* help = linkMenus(p).helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    QTextEdit* text = help->txtHelp();
    EXPECT_TRUE(text->toPlainText().contains(QLatin1String("Reading the MUF figures")));
    EXPECT_EQ(text->textCursor().position(), 0);
    EXPECT_EQ(text->font().pointSize(), 13);

    const auto choose = [help](const char* button) {
        help->findChild<QPushButton*>(QLatin1String(button))->click();
    };
    choose("cmdHelp(1)");
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Error: 53\tFile not found"));
    choose("cmdHelp(2)");
    EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("WWC chat help")));
    // The first line is the title, in bold.
    QTextCursor title(text->document());
    title.movePosition(QTextCursor::Right);
    EXPECT_EQ(title.charFormat().fontWeight(), QFont::Bold);
    p.dir.write(QStringLiteral("muf_guide.rtf"), "not rtf");
    choose("cmdHelp(0)");
    EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Error: 321\t")));
}

// A help file that is no regular file, or too large to show, is refused at once with its line.
TEST(LinkMenus, HelpRefusesAFifoADeviceAndAFileOverTheCap)
{
    const zenthra::test::TempFolder dir;
    const QString path = dir.file(HelpWindow::helpFile(0));
    const auto shown = [&dir] {
        return HelpWindow(dir.path(), QStringLiteral("1")).txtHelp()->toPlainText();
    };
    {
        const zenthra::test::FifoGuard fifo(path);
        EXPECT_EQ(shown(), QStringLiteral("Error: 53\tFile not found"));
        EXPECT_FALSE(fifo.fired());
    }
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
    EXPECT_EQ(shown(), QStringLiteral("Error: 53\tFile not found"));
    QFile::remove(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(HelpWindow::maxFileBytes + 1));
    EXPECT_EQ(shown(), QStringLiteral("Error: 7\tmuf_guide.rtf is larger than 16 MB and is not shown"));
}

} // namespace
