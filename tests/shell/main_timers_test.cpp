// The ticks that keep the links and the server database alive, on the real program objects
// against nodes on loopback.

#include "links/links.h"
#include "shell/application.h"
#include "shell/main_timers.h"
#include "shell/main_window.h"
#include "spots/server_cut_proxy.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/postgres.h"
#include "support/settings_lines.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::MainTimers;
using zenthra::MainWindow;
using zenthra::test::FakeNode;
using zenthra::test::prepareSettings;
using zenthra::test::TempFolder;

namespace {

struct TimersFixture : ::testing::Test
{
    TempFolder dir;
    FakeNode node;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    // Starts the program with these settings lines (the rest empty), on this server schema.
    void start(const std::map<int, QString>& values, const QString& schema = {})
    {
        prepareSettings(dir, values);
        app = std::make_unique<Application>(DataFolder(dir.path()));
        if (!schema.isEmpty()) {
            app->database().setServerSchema(schema);
        }
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        app->OPEN_ZENTHRA();
    }
    // Settings of a DXC node on the fake node's port, Auto CLX as given.
    std::map<int, QString> dxcNode(bool autoClx, int reconnectMinutes)
    {
        return {
            {11, "127.0.0.1"}, {12, QString::number(node.port())}, {13, "G0ABC"},
            {14, "pw"},        {15, autoClx ? "True" : "False"},   {16, QString::number(reconnectMinutes)}};
    }
    // A server schema of this process's own, empty; "" when it could not be made.
    static QString freshSchema(const char* prefix)
    {
        const QString schema =
            QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(QCoreApplication::applicationPid());
        const QString admin = schema + QStringLiteral("_admin");
        bool ok = false;
        {
            QSqlDatabase db = zenthra::test::openPostgres(admin);
            QSqlQuery q(db);
            ok = q.exec("DROP SCHEMA IF EXISTS " + schema + " CASCADE") && q.exec("CREATE SCHEMA " + schema);
        }
        QSqlDatabase::removeDatabase(admin);
        return ok ? schema : QString();
    }
    MainTimers& timers() { return app->mainTimers(); }
    zenthra::Links& links() { return app->links(); }
    void TearDown() override
    {
        if (app) {
            app->CLOSE_ZENTHRA(Application::restartCode);
        }
    }
};

} // namespace

TEST_F(TimersFixture, AutoLoginAtStartAndGoodbyeAtShutDown)
{
    start(dxcNode(true, 0));
    ASSERT_TRUE(node.accept());
    node.send("login: ");
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    app->CLOSE_ZENTHRA(Application::restartCode);
    // Shut-down waits for the paced goodbye before the databases close.
    EXPECT_EQ(node.receivedWithin(0), "G0ABC\r\nbye\r\nq\r\n");
    window.reset();
    app.reset();
}

TEST_F(TimersFixture, HeartbeatEveryPeriodAndNothingWhenOff)
{
    start(dxcNode(true, 5));
    ASSERT_TRUE(node.accept());
    links().dxc.intDxcLoginStage = 0;
    for (int i = 0; i < 4; ++i) {
        timers().tmrReconnect_Timer();
    }
    EXPECT_EQ(timers().intReconnectTicks, 4);
    EXPECT_EQ(node.receivedWithin(100), "");
    timers().tmrReconnect_Timer();
    // A healthy link only gets the empty line.
    EXPECT_EQ(node.receivedWithin(800), "\r\n");
    EXPECT_EQ(timers().intReconnectTicks, 0);
    EXPECT_EQ(links().intLinkError, 0);

    app->options().intReconnectMinutes = 0;
    for (int i = 0; i < 10; ++i) {
        timers().tmrReconnect_Timer();
    }
    EXPECT_EQ(timers().intReconnectTicks, 0);
    EXPECT_EQ(node.receivedWithin(100), "\r\n");
}

// The keep-alive's empty line would answer the prompt the node waits at, and the node would take
// it for the login name: while the login is under way only the login answers.
TEST_F(TimersFixture, HeartbeatAtTheLoginPromptLeavesTheAnswerToTheLogin)
{
    start(dxcNode(true, 1));
    ASSERT_TRUE(node.accept());
    node.send("login: ");
    timers().tmrReconnect_Timer();
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    EXPECT_EQ(node.receivedWithin(800), "G0ABC\r\n");
    EXPECT_EQ(timers().intReconnectTicks, 0);
}

TEST_F(TimersFixture, CounterOf99RunsTheHeartbeatAtTheNextTickForAnyPeriodUpTo100)
{
    start(dxcNode(false, 100));
    timers().intReconnectTicks = 99;
    links().intLinkError = 1; // nothing connected: the link is reconnected
    timers().tmrReconnect_Timer();
    ASSERT_TRUE(node.accept());
    EXPECT_EQ(timers().intReconnectTicks, 0);
    EXPECT_EQ(links().intLinkError, 0);
}

TEST_F(TimersFixture, DroppedLinkComesBackAndLogsInAgain)
{
    start(dxcNode(true, 1));
    ASSERT_TRUE(node.accept());
    node.send("login: ");
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    node.hangUp();
    EXPECT_EVENTUALLY_EQ(links().dxc.WinsockDXC.state(), 0, 5000);
    timers().tmrReconnect_Timer();
    ASSERT_TRUE(node.accept());
    node.send("login: ");
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    EXPECT_EQ(links().intLinkError, 0);
}

TEST_F(TimersFixture, LinkErrorForcesAReconnectOfAHealthyLink)
{
    start(dxcNode(true, 1));
    ASSERT_TRUE(node.accept());
    links().dxc.intDxcLoginStage = 0; // logged in: the empty line goes
    links().intLinkError = 1;
    timers().tmrReconnect_Timer();
    EXPECT_EQ(node.received("\r\nbye\r\nq\r\n"), "\r\nbye\r\nq\r\n");
    ASSERT_TRUE(node.accept());
    EXPECT_EQ(links().intLinkError, 0);
}

TEST_F(TimersFixture, ChatLinkGetsAPrivateMessageToTheOwnCall)
{
    FakeNode chat;
    auto settings = dxcNode(false, 1);
    settings[18] = "127.0.0.1";
    settings[19] = QString::number(chat.port());
    settings[20] = "G0ABC";
    settings[23] = "True"; // "Reconnect WWC with DXC?"
    settings[24] = "True"; // "Start WWC with program?"
    start(settings);
    ASSERT_TRUE(chat.accept());
    EXPECT_EVENTUALLY_EQ(links().wwc.WinsockWWC.state(), int(zenthra::TelnetSocket::Connected), 5000);
    links().wwc.intWwcLoginStage = 0; // logged in: the message goes
    timers().tmrReconnect_Timer();
    EXPECT_EQ(chat.received("/msg G0ABC\r\n"), "/msg G0ABC\r\n");
}

TEST_F(TimersFixture, StatusRotatesOverTheLinksAndSparesWarnings)
{
    start({});
    app->setStatus("");
    timers().tmrGetWinsockStatus_Timer();
    EXPECT_EQ(app->status(), "Zenthra calcs from DXC. DXC STATUS: Closed..");
    timers().tmrGetWinsockStatus_Timer();
    EXPECT_EQ(app->status(), "Zenthra calcs from DXC. WWC STATUS: Closed..");
    app->setStatus("ab");
    timers().tmrGetWinsockStatus_Timer();
    EXPECT_EQ(app->status(), "Zenthra calcs from DXC. BBS STATUS: Closed..");
    QSignalSpy changes(app.get(), &Application::statusChanged);
    app->setStatus("Missing or wrong home locator! Set Locator..");
    timers().tmrGetWinsockStatus_Timer();
    EXPECT_EQ(app->status(), "Missing or wrong home locator! Set Locator..");
    EXPECT_EQ(timers().strStatusLink, "WWC");
    app->setStatus("Missing or wrong home locator! Set Locator..");
    EXPECT_EQ(changes.count(), 1); // the same text again is no change
    EXPECT_EQ(window->windowTitle(), "Missing or wrong home locator! Set Locator..");
}

TEST_F(TimersFixture, FileDatabasesAreNeverProbed)
{
    start({});
    for (int i = 0; i < 100; ++i) {
        timers().tmrDatabaseRestart_Timer();
    }
    EXPECT_EQ(timers().intDbCheckTicks, 0);
    EXPECT_EQ(timers().sngDbState, 0);
}

TEST_F(TimersFixture, ServerWatchdogProbesEveryThirtyMinutesAndRestartsABrokenDatabase)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const auto pg = zenthra::test::postgresAddress();
    const QString schema = freshSchema("watchdog");
    ASSERT_FALSE(schema.isEmpty());
    // Every spot to tblAllSpots (31), sporadic-E calculated (40).
    start({{1, "s"},
           {2, QStringLiteral("%1:%2").arg(pg.host).arg(pg.port)},
           {3, pg.database},
           {4, pg.user},
           {10, "IO91WM"},
           {31, "True"},
           {40, "True"}},
          schema);
    ASSERT_TRUE(app->database().isOpen());

    for (int i = 0; i < 30; ++i) {
        timers().tmrDatabaseRestart_Timer();
    }
    EXPECT_EQ(timers().intDbCheckTicks, 0);
    EXPECT_EQ(timers().sngDbState, 0);
    EXPECT_FALSE(window->findChild<QPlainTextEdit*>("TBCluster")->toPlainText().contains("RESTART"));

    ASSERT_TRUE(app->database().exec(zenthra::Store::Spots, "DROP TABLE tblSPOT"));
    for (int i = 0; i < 30; ++i) {
        timers().tmrDatabaseRestart_Timer();
    }
    EXPECT_NE(timers().sngDbState, 0);
    EXPECT_TRUE(app->database().isOpen());
    // The window shows appended text at the end of the turn of the event loop.
    EXPECT_EVENTUALLY(window->findChild<QPlainTextEdit*>("TBCluster")
                          ->toPlainText()
                          .contains("RESTART DATABASE CONNNECTION (NO DATABASE CONNECTION!)"),
                      2000);
    // The restart's start-up created the table again, and spots are stored again.
    EXPECT_TRUE(app->database().exec(zenthra::Store::Spots, "SELECT * FROM tblSPOT"));
    QString line = "DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\r\n";
    app->lineFilter().FILTER_DXC_BY_FREQ(line);
    const auto stored = [this] {
        QSqlQuery count;
        return app->database().exec(zenthra::Store::Spots, "SELECT COUNT(*) FROM tblAllSpots", {}, &count) &&
                       count.next()
                   ? count.value(0).toInt()
                   : -1;
    };
    EXPECT_EVENTUALLY_EQ(stored(), 1, 2500);
    app->CLOSE_ZENTHRA(Application::restartCode);
    window.reset();
    app.reset();
    QSqlDatabase admin = zenthra::test::openPostgres("watchdog_admin2");
    QSqlQuery(admin).exec("DROP SCHEMA " + schema + " CASCADE");
}

TEST_F(TimersFixture, AServerThatStopsAnsweringLeavesTheWindowToTheUserAndSaysSo)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const auto pg = zenthra::test::postgresAddress();
    const QString schema = freshSchema("silent");
    ASSERT_FALSE(schema.isEmpty());
    zenthra::test::ServerCutProxy proxy(pg.host, quint16(pg.port));
    start({{1, "s"},
           {2, QStringLiteral("127.0.0.1:%1").arg(proxy.port())},
           {3, pg.database},
           {4, pg.user},
           {10, "IO91WM"},
           {31, "True"}},
          schema);
    ASSERT_TRUE(app->database().isOpen());
    app->setStatus(QStringLiteral("Zenthra"));

    proxy.silence();
    // Before the road has found that the server does not answer, a window's statement gives up
    // after its time limit rather than waiting with the server.
    zenthra::SqlFailure cut;
    EXPECT_FALSE(app->database().exec(zenthra::Store::Spots, "SELECT 1", {}, nullptr, &cut));
    EXPECT_EQ(cut.number, zenthra::Database::errProviderFailure) << cut.text.toStdString();
    zenthra::QueuedSpot spot = zenthra::test::stationSpot(
        QStringLiteral("DX de G4ABC:     50110.0  DL1ZZ        tropo 59        1234Z"));
    app->spotQueue().QUEUE_DXC_SPOT(spot);
    app->spotProcessor().tmrProcessSpot_Timer();
    EXPECT_EVENTUALLY_EQ(
        app->status(),
        QStringLiteral(
            "Spots are not being stored (the database server does not answer): 1 waiting in memory"),
        15000);
    // An announcement waits with the spots, in the road's order, instead of holding the window.
    QString announcement = QStringLiteral("To ALL de G4ABC: Es to S5 on 6m");
    app->announcements().ANNOUNCE_TO_DB(announcement);
    // What a window asks of the database fails at once, saying why, instead of waiting with it.
    zenthra::SqlFailure why;
    EXPECT_FALSE(
        app->database().exec(zenthra::Store::Spots, "SELECT count(*) FROM tblAllSpots", {}, nullptr, &why));
    EXPECT_EQ(why.text, QStringLiteral("the database server does not answer"));

    proxy.answer();
    EXPECT_EVENTUALLY_EQ(app->status(), QStringLiteral("Zenthra"), 15000);
    QSqlQuery stored;
    EXPECT_EVENTUALLY(
        app->database().exec(zenthra::Store::Spots, "SELECT Spot_Call2 FROM tblAllSpots", {}, &stored) &&
            stored.next() && stored.value(0).toString() == QStringLiteral("DL1ZZ"),
        15000);
    QSqlQuery announced;
    EXPECT_EVENTUALLY(
        app->database().exec(zenthra::Store::Spots, "SELECT ann_text FROM tblAnnounce", {}, &announced) &&
            announced.next() && announced.value(0).toString() == announcement,
        15000);
    EXPECT_TRUE(dir.lines("muf_errors.log").filter("ANNOUNCE_TO_DB").isEmpty())
        << dir.lines("muf_errors.log").join('\n').toStdString();
    app->CLOSE_ZENTHRA(Application::restartCode);
    window.reset();
    app.reset();
}
