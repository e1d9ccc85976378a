#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/menu_table.h"
#include "spots/call_locator.h"
#include "support/critical_messages.h"
#include "support/eventually.h"
#include "support/file_size_limit.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSplitter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::MainWindow;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

namespace {

// The program as main() builds it, on a temporary data folder.
struct Program
{
    TempFolder dir;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    void create()
    {
        installWorldMap(dir);
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
    }
    void start()
    {
        if (!app) {
            create();
        }
        app->OPEN_ZENTHRA();
    }
    void prepare(const std::map<int, QString>& values) { zenthra::test::prepareSettings(dir, values); }
    QAction* item(const char* name) const { return window->menuItem(QString::fromLatin1(name)); }
    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
};

} // namespace

TEST(MainWindow, HasTheSevenTabsAndTheirWindows)
{
    Program p;
    p.start();
    QTabWidget* tabs = p.window->tabSporadic();
    ASSERT_EQ(tabs->count(), 7);
    const QStringList captions{"DXC", "MUF SPOTS", "VHF+ SPOTS", "WWC", "ANALYSIS", "MUF MAP", "BBS"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_NE(p.child<QPlainTextEdit>("TBCluster"), nullptr);
    for (int i = 0; i <= 5; ++i) {
        auto* view = p.window->findChild<QPlainTextEdit*>(QStringLiteral("txtDataRetrieval(%1)").arg(i));
        ASSERT_NE(view, nullptr) << i;
        EXPECT_TRUE(view->isReadOnly());
    }
    EXPECT_EQ(p.child<QLabel>("lblSpot(0)")->text(), "WWC COMMANDS:");
    EXPECT_EQ(p.child<QLabel>("lblSpot(1)")->text(), "DXC COMMANDS:");
    EXPECT_EQ(p.child<QLabel>("lblSpot(2)")->text(), "BBS COMMANDS:");
    EXPECT_TRUE(p.window->isVisible());
    EXPECT_EQ(p.window->windowTitle(), "Zenthra");
    // The first start opens the embedded databases in the data folder.
    EXPECT_TRUE(p.app->database().isOpen());
    EXPECT_TRUE(QFileInfo::exists(p.dir.file("spots.sqlite")));
    EXPECT_TRUE(QFileInfo::exists(p.dir.file("call_loc.sqlite")));
}

TEST(MainWindow, BuildsEveryMenuEntryOfTheTable)
{
    Program p;
    p.start();
    int checkable = 0;
    for (const zenthra::MenuEntry& e : zenthra::menuTable()) {
        QAction* a = p.window->menuItem(e.name);
        ASSERT_NE(a, nullptr) << e.name.toStdString();
        if (e.kind == zenthra::MenuKind::Separator) {
            EXPECT_TRUE(a->isSeparator()) << e.name.toStdString();
            continue;
        }
        EXPECT_EQ(a->text(), e.caption) << e.name.toStdString();
        EXPECT_EQ(a->isCheckable(), e.check == zenthra::CheckBehaviour::Toggle) << e.name.toStdString();
        checkable += a->isCheckable() ? 1 : 0;
    }
    // The 69 check marks that the settings file stores, the 10 items whose flag it stores, and
    // the two "always on top?" items.
    EXPECT_EQ(checkable, 81);
    const QStringList top{"&File", "&DXC",         "&WWC",        "BBS",  "&Options", "ES Options",
                          "DDE",   "&Map Options", "DXC Filters", "Tabs", "DX Spider"};
    QStringList shown;
    for (QAction* a : p.window->menuBar()->actions()) {
        shown.append(a->text());
    }
    EXPECT_EQ(shown, top);
    EXPECT_FALSE(p.item("mnuSpider")->isVisible());
    EXPECT_FALSE(p.item("mnuDxcCopyTxt")->isVisible());
    EXPECT_EQ(p.item("mnuFile(1)")->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(p.item("mnuFilterHF(3)")->text(), "40m spots?");
    EXPECT_EQ(p.item("mnuFilterMisc0")->text(), "Miscellaneous ");
    EXPECT_EQ(p.window->menu(QStringLiteral("mnuSpiderSHOWSYSOP0"))->title(), "SHOW (SYSOP)");
    EXPECT_EQ(p.window->menu(QStringLiteral("mnuSpiderSHOWSYSOP0"))->actions().size(), 1);
}

// A command item without a handler would do nothing when clicked, without a word; a check mark
// without its handler would only tick. Release builds compile the assertion out, so this test is
// what stops a misspelt binding.
TEST(MainWindow, EveryCommandItemOfTheTableHasAHandler)
{
    Program p;
    {
        const zenthra::test::CriticalMessages logged;
        p.create();
        EXPECT_EQ(p.window->unboundMenuItems().join(u' ').toStdString(), "");
        EXPECT_EQ(logged.list().join(u'\n').toStdString(), "");
    }
    int commands = 0;
    for (const zenthra::MenuEntry& e : zenthra::menuTable()) {
        if (e.kind == zenthra::MenuKind::Item && e.check == zenthra::CheckBehaviour::None) {
            ++commands;
            EXPECT_TRUE(p.window->hasMenuHandler(e.name)) << e.name.toStdString();
        }
        // The table knows which check marks have a handler of their own, so that losing one shows.
        if (e.check == zenthra::CheckBehaviour::Toggle) {
            EXPECT_EQ(p.window->hasMenuHandler(e.name), e.checkHandled) << e.name.toStdString();
        }
    }
    EXPECT_EQ(commands, 98);
}

TEST(MainWindowDeathTest, AHandlerForANameThatIsNoMenuItemIsAProgrammingError)
{
    Program p;
    p.create();
    // A misspelt item, a menu and a separator.
    for (const QString& n :
         {QStringLiteral("mnuDxc(22)"), QStringLiteral("mnuDxcComm0"), QStringLiteral("dxc0")}) {
#ifdef QT_NO_DEBUG
        const zenthra::test::CriticalMessages logged;
        p.window->setMenuHandler(n, [] {});
        EXPECT_EQ(logged.list(), QStringList(u'"' + n + QStringLiteral("\" is no item of the menus")));
        EXPECT_FALSE(p.window->hasMenuHandler(n));
#else
        EXPECT_DEATH(p.window->setMenuHandler(n, [] {}), "a handler for a name that is no menu item");
#endif
    }
}

TEST(MainWindow, ClickingACheckItemFlipsTheOptionAndItsFlag)
{
    Program p;
    p.start();
    zenthra::OptionsModel& o = p.app->options();
    p.item("mnuFilterHF(3)")->trigger();
    EXPECT_TRUE(o.checked(QStringLiteral("mnuFilterHF(3)")));
    EXPECT_TRUE(p.item("mnuFilterHF(3)")->isChecked());
    p.item("mnuFilterHF(3)")->trigger();
    EXPECT_FALSE(o.checked(QStringLiteral("mnuFilterHF(3)")));
    p.item("mnuEsJt65")->trigger();
    EXPECT_TRUE(o.classifier.blnDigiJt65);
    p.item("mnuDxc(6)")->trigger();
    EXPECT_TRUE(o.blnNoAutoScroll);
    // The model shows in the menu whoever changes it.
    o.setChecked(QStringLiteral("mnuWwc(2)"), true);
    EXPECT_TRUE(p.item("mnuWwc(2)")->isChecked());
}

TEST(MainWindow, RestoresCheckMarksLocatorAndGeometryFromTheFile)
{
    Program p;
    // 500 x 600 pixels at 100, 200: within the test screen of 800 x 600, so it comes back as stored.
    p.prepare({{6, "7500"},
               {7, "9000"},
               {8, "1500"},
               {9, "3000"},
               {10, "jo01ab"},
               {15, "True"},
               {17, "True"},
               {32, "13"},
               {55, "True"},
               {73, "True"},
               {120, "True"}});
    p.start();
    const zenthra::TwipsRect g = p.window->geometryTwips();
    EXPECT_EQ(g.height, 7500);
    EXPECT_EQ(g.width, 9000);
    EXPECT_EQ(g.top, 1500);
    EXPECT_EQ(g.left, 3000);
    EXPECT_EQ(p.child<QLineEdit>("txtHomeLoc")->text(), "JO01AB");
    EXPECT_TRUE(p.item("mnuDxc(2)")->isChecked());
    EXPECT_TRUE(p.item("mnuFilterHF(3)")->isChecked());
    EXPECT_FALSE(p.item("mnuFilterHF(2)")->isChecked());
    EXPECT_TRUE(p.item("mnuSpider")->isVisible());
    EXPECT_TRUE(p.app->tmrTarnLog().isActive());
    // The no-auto-scroll flag follows the restored check mark.
    EXPECT_TRUE(p.item("mnuDxc(6)")->isChecked());
    EXPECT_TRUE(p.app->options().blnNoAutoScroll);
    // The font size reaches every text window.
    EXPECT_EQ(p.child<QPlainTextEdit>("TBCluster")->font().pointSize(), 13);
    EXPECT_EQ(p.child<QPlainTextEdit>("txtDataRetrieval(5)")->font().pointSize(), 13);
}

TEST(MainWindow, OnlyATopFarOffTheScreenRestoresTheWindow)
{
    // A top just above the screen keeps the stored size and left; like any place partly off the
    // screens it is moved just far enough down for the window to lie on the screen.
    const struct
    {
        const char* top;
        zenthra::TwipsRect expected;
    } cases[] = {{"-48000", {.top = 0, .left = 0, .width = 10110, .height = 8055}},
                 {"-200", {.top = 0, .left = 150, .width = 10500, .height = 9000}}};
    for (const auto& c : cases) {
        Program p;
        p.prepare({{6, "9000"}, {7, "10500"}, {8, c.top}, {9, "150"}});
        p.start();
        const zenthra::TwipsRect g = p.window->geometryTwips();
        EXPECT_EQ(g.height, c.expected.height) << c.top;
        EXPECT_EQ(g.width, c.expected.width) << c.top;
        EXPECT_EQ(g.left, c.expected.left) << c.top;
        EXPECT_EQ(g.top, c.expected.top) << c.top;
    }
}

TEST(MainWindow, HomeLocatorIsUpperCasedAsTypedWithTheCaretAtTheEnd)
{
    Program p;
    p.start();
    auto* loc = p.child<QLineEdit>("txtHomeLoc");
    loc->setFocus();
    QTest::keyClicks(loc, QStringLiteral("io9"));
    loc->setCursorPosition(1);
    QTest::keyClicks(loc, QStringLiteral("x"));
    EXPECT_EQ(loc->text(), "IXO9");
    EXPECT_EQ(loc->cursorPosition(), 4);
    EXPECT_EQ(p.app->options().homeLocator(), "IXO9");
}

TEST(MainWindow, ClockLabelShowsUtcWithZ)
{
    Program p;
    p.create();
    p.app->clock().setUtc(QDateTime(QDate(2024, 6, 3), QTime(23, 59, 59), Qt::UTC));
    p.start();
    QSignalSpy tick(p.app.get(), &Application::utcTimeChanged);
    ASSERT_TRUE(tick.wait(5000));
    EXPECT_EQ(p.child<QLabel>("lblUtcTime")->text(), "23:59:59z");
    EXPECT_EQ(p.app->dtmUtcNow(), QDateTime(QDate(2024, 6, 3), QTime(23, 59, 59), Qt::UTC));
    EXPECT_EQ(p.app->tmrDxDateTime().interval(), 500);
}

TEST(MainWindow, AppendsShowInTheViewWithoutCr)
{
    Program p;
    p.start();
    p.app->options().sngWindowBuffer = 5000;
    zenthra::TextWindows& w = p.app->textWindows();
    for (int i = 0; i < 400; ++i) {
        QString line =
            QStringLiteral("DX de G4ABC:  50110.0  EA3XYZ  es in JN01  %1Z").arg(i, 4, 10, QLatin1Char('0'));
        w.POPULATE_DXC_WINDOW(line);
    }
    QCoreApplication::processEvents();
    QString expected = w.TBCluster.text();
    expected.remove(u'\r');
    EXPECT_EQ(p.child<QPlainTextEdit>("TBCluster")->toPlainText(), expected);
    // Later turns add their tail and cut their head only.
    for (int i = 0; i < 30; ++i) {
        QString line =
            QStringLiteral("WWV de VE7CC <18>:   SFI=70, A=5, K=1, No Storms -> No Storms %1").arg(i);
        w.POPULATE_DXC_WINDOW(line);
        if (i % 3 == 0) {
            QCoreApplication::processEvents();
        }
    }
    expected = w.TBCluster.text();
    expected.remove(u'\r');
    // The view shows the changes that follow within a frame at the frame's end.
    EXPECT_EVENTUALLY_EQ(p.child<QPlainTextEdit>("TBCluster")->toPlainText(), expected, 5000);
    QString report = QStringLiteral("report\r\nline two\r\n");
    w.POPULATE_ANALYSIS_WINDOW(report);
    QCoreApplication::processEvents();
    EXPECT_TRUE(p.child<QPlainTextEdit>("txtDataRetrieval(3)")
                    ->toPlainText()
                    .startsWith("ANALYSIS REPORT CREATED ON "));
}

TEST(MainWindow, SplitViewMirrorsTheDxcWindowAndSurvivesRestartsWithoutShrinking)
{
    Program p;
    p.start();
    p.window->tabSporadic()->setCurrentIndex(3);
    QString line = QStringLiteral("first line");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    p.item("mnuWwc(7)")->trigger();
    ASSERT_TRUE(p.window->splitView());
    auto* pane = p.child<QPlainTextEdit>("txtDataRetrieval(5)");
    auto* chat = p.child<QPlainTextEdit>("txtDataRetrieval(2)");
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(pane->toPlainText(), "\nfirst line ");
    line = QStringLiteral("second");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    EXPECT_EVENTUALLY_EQ(pane->toPlainText(), QStringLiteral("\nfirst line \nsecond "), 5000);
    QCoreApplication::processEvents();
    const int chatHeight = chat->height();
    for (int i = 0; i < 3; ++i) {
        p.app->restart();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(p.window->splitView());
    EXPECT_EQ(chat->height(), chatHeight);
    p.item("mnuWwc(7)")->trigger();
    EXPECT_FALSE(pane->isVisible());
    EXPECT_FALSE(p.app->options().checked(QStringLiteral("mnuWwc(7)")));
}

TEST(MainWindow, RestartDoesNotEndTheProgramAndWritesTheFileBeforeReadingIt)
{
    Program p;
    p.start();
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    p.app->options().nodes.strDxcHost = QStringLiteral("dxc.example.org");
    p.app->options().setChecked(QStringLiteral("mnuBellByMode(8)"), true);
    p.app->restart();
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(p.app->ended());
    EXPECT_EQ(p.dir.lines("zenthra.dat").size(), 123);
    EXPECT_EQ(p.dir.lines("zenthra.dat")[10], "dxc.example.org");
    EXPECT_TRUE(p.app->options().checked(QStringLiteral("mnuBellByMode(8)")));
}

TEST(MainWindow, ClosingTheWindowSavesAndEndsTheProgram)
{
    Program p;
    p.start();
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    // Within the test screen of 800 x 600, so the geometry comes back as saved.
    p.window->resize(700, 500);
    p.window->move(40, 30);
    p.app->options().setChecked(QStringLiteral("mnuFilterHF(3)"), true);
    p.window->close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(p.app->database().isOpen());
    const QStringList lines = p.dir.lines("zenthra.dat");
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines[72], "True");
    EXPECT_EQ(lines[7], QString::number(p.window->frameGeometry().y() * 15));
    // Start again on the same folder: the options and the geometry come back.
    Program again;
    again.dir.write("zenthra.dat", p.dir.read("zenthra.dat"));
    again.start();
    EXPECT_TRUE(again.item("mnuFilterHF(3)")->isChecked());
    EXPECT_EQ(again.window->geometryTwips().width, p.window->geometryTwips().width);
    EXPECT_EQ(again.window->geometryTwips().left, p.window->geometryTwips().left);
}

TEST(MainWindow, FailedSaveReportsLogsAndKeepsThePreviousFile)
{
    Program p;
    // Histories present, so the start logs nothing of its own.
    p.dir.write("dxc_history.dat", "");
    p.dir.write("wwc_history.dat", "");
    p.start();
    p.item("mnuFile(2)")->trigger();
    EXPECT_EQ(p.window->windowTitle(), "Zenthra - Settings saved to dat file.");
    EXPECT_EQ(p.dir.lines("zenthra.dat").size(), 123);
    const QByteArray previous = p.dir.read("zenthra.dat");
    ASSERT_GT(previous.size(), 400);
    p.app->options().sngWindowBuffer = 54321;
    {
        // The disk fills up part way through the new file; the short log line still fits.
        const FileSizeLimit fullDisk(200);
        ASSERT_TRUE(fullDisk.active());
        p.item("mnuFile(2)")->trigger();
    }
    EXPECT_EQ(p.dir.read("zenthra.dat"), previous);
    EXPECT_EQ(p.window->windowTitle(), "Zenthra - Error saving settings!!");
    const QStringList log = p.dir.lines("muf_errors.log");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(" - SAVE_SETTINGS()")) << log[0].toStdString();
    EXPECT_EQ(p.app->errorLog().intErrorLogged, 1);
    // Shut-down still runs every step and ends the program.
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    p.app->CLOSE_ZENTHRA(0);
    EXPECT_EQ(ended.count(), 1);
}

// The call/locator import pumps events between its rows: a close or a restart asked for meanwhile
// stops the import and follows once it has returned, rather than closing the databases under it.
TEST(MainWindow, ACloseOrRestartDuringTheCallLocatorImportWaitsForTheImportToStop)
{
    const struct
    {
        const char* what;
        std::function<void(Program&)> ask;
        bool ends;
    } cases[] = {
        {"the window closed (as on a termination request)", [](Program& p) { p.window->close(); }, true},
        {"the server watchdog's restart", [](Program& p) { p.app->restart(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Program p;
        p.start();
        {
            QSqlDatabase mini =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mini-src"));
            mini.setDatabaseName(p.dir.file(QStringLiteral("mini.sqlite")));
            ASSERT_TRUE(mini.open());
            ASSERT_TRUE(QSqlQuery(mini).exec(QStringLiteral(
                "CREATE TABLE tblDxStation AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                "WHERE x < 300) SELECT 'G' || x || 'ABC' AS DxCallsign, 'IO91WM' AS DxLocatorID, "
                "'2024-05-01 12:00:00' AS DxDate FROM n")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("mini-src"));
        int closes = 0;
        bool importRunningAtClose = false;
        // Dies before the counters and the program, so the program's own close at the end of the
        // case no longer reaches them.
        QObject watching;
        QObject::connect(&p.app->database(), &zenthra::Database::databasesClosed, &watching, [&] {
            ++closes;
            importRunningAtClose = importRunningAtClose || p.app->callLocator().miniUpdateRunning();
        });
        QTimer::singleShot(0, [&] { c.ask(p); });
        p.item("mnuMiniUpdateDxDatabase")->trigger();
        const QString status = p.app->status();

        EXPECT_EVENTUALLY_EQ(closes, 1, 5000);
        EXPECT_FALSE(importRunningAtClose);
        EXPECT_EQ(p.app->ended(), c.ends);
        EXPECT_EQ(p.app->database().isOpen(), !c.ends);
        // Stopped early, and no row failed for want of a database.
        const int added = status.section(u' ', 2, 2).toInt();
        EXPECT_EQ(status, QStringLiteral("Zenthra - %1 CALL / LOC ADDED OR UPDATED").arg(added));
        EXPECT_TRUE(added >= 1 && added < 300) << added;
        EXPECT_FALSE(p.dir.lines("muf_errors.log").join(u'\n').contains(QStringLiteral("DX_DATABASE")));
    }
}

TEST(MainWindow, TabMenuSelectsTheTab)
{
    Program p;
    p.start();
    p.item("mnuTab(6)")->trigger();
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 6);
    p.item("mnuTab(4)")->trigger();
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 4);
}
