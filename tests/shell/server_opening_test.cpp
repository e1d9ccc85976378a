// The program on a server behind a relay that delays each way and counts the program's round
// trips: its opening costs a handful of them besides the driver's own, the caption does not call
// the keyword list missing while it is being read, and an Update Dx is stored in its own round
// trips, also when it was asked for while the databases were still being opened.

#include "shell/application.h"
#include "shell/main_window.h"
#include "spots/server_cut_proxy.h"
#include "support/eventually.h"
#include "support/postgres.h"
#include "support/print_qstring.h"
#include "support/settings_lines.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

const QString keywordsMissing = QString::fromLatin1(SpotProcessor::keywordsMissing);

// A schema of the test's own on the test server, reached through a relay; dropped at the end.
struct SlowServer
{
    SlowServer()
        : schema(QStringLiteral("open_%1_%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QRandomGenerator::global()->generate()))
    {
        const PostgresAddress a = postgresAddress();
        admin(QStringLiteral("CREATE SCHEMA ") + schema);
        proxy = std::make_unique<ServerCutProxy>(a.host, quint16(a.port));
    }
    ~SlowServer()
    {
        proxy.reset();
        admin(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));
    }
    // Runs a statement in the schema, beside the program; the first column of its first row.
    QVariant admin(const QString& sql)
    {
        QVariant value;
        const QString name = schema + QStringLiteral("_admin");
        {
            QSqlDatabase db = openPostgres(name);
            QSqlQuery q(db);
            q.exec(QStringLiteral("SET search_path TO ") + schema);
            if (q.exec(sql) && q.next()) {
                value = q.value(0);
            }
        }
        QSqlDatabase::removeDatabase(name);
        return value;
    }
    // The round trips the driver's own opening of a connection takes, which no code of ours can
    // spare: measured once through the relay, then taken off its count.
    int driversOwn()
    {
        const PostgresAddress a = postgresAddress();
        const int before = proxy->roundTrips();
        const QString name = schema + QStringLiteral("_driver");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(QStringLiteral("127.0.0.1"));
            db.setPort(proxy->port());
            db.setUserName(a.user);
            db.setDatabaseName(a.database);
            EXPECT_TRUE(db.open());
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return proxy->roundTrips() - before;
    }

    QString schema;
    std::unique_ptr<ServerCutProxy> proxy;
};

// The program with its window on the server, as a user starts it; the window's layer logs in with a
// password, as most servers ask.
struct Program
{
    Program(SlowServer& server, TempFolder& dir)
    {
        const PostgresAddress a = postgresAddress();
        prepareSettings(dir, {{1, QStringLiteral("s")},
                              {2, QStringLiteral("127.0.0.1:%1").arg(server.proxy->port())},
                              {3, a.database},
                              {4, a.passwordUser},
                              {5, a.password},
                              {10, QStringLiteral("IO91WM")},
                              {31, QStringLiteral("True")}});
        app = std::make_unique<Application>(DataFolder(dir.path()));
        app->database().setServerSchema(server.schema);
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        QObject::connect(app.get(), &Application::statusChanged,
                         [this](const QString& text) { captions.append(text); });
        app->OPEN_ZENTHRA();
    }
    ~Program()
    {
        app->CLOSE_ZENTHRA(Application::restartCode);
        window.reset();
        app.reset();
    }
    bool open() const { return app->database().isOpen() && app->keywords().loaded(); }
    // Types a call and a locator into the panel and clicks "&Update Dx".
    void updateDx(const QString& call, const QString& loc)
    {
        window->findChild<QLineEdit*>(QStringLiteral("txtdbCall"))->setText(call);
        window->findChild<QLineEdit*>(QStringLiteral("txtdbLoc"))->setText(loc);
        window->findChild<QPushButton*>(QStringLiteral("upDateDb"))->click();
    }
    void queueSpot(int n)
    {
        QueuedSpot spot = stationSpot(
            QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ        tropo 59        1234Z").arg(n % 10));
        app->spotQueue().QUEUE_DXC_SPOT(spot);
        app->spotProcessor().tmrProcessSpot_Timer();
    }

    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;
    QStringList captions;
};

struct Start
{
    const char* name;
    bool tablesThere;
    // The program's own round trips, the driver's own opening of its two connections aside.
    int atMost;
};

void PrintTo(const Start& s, std::ostream* os)
{
    *os << s.name;
}

class ServerOpening : public ::testing::TestWithParam<Start>
{
};

// Each statement is a round trip, and over a path of a second or more each one is a second that
// the spots wait and the window's own layer holds the window.
TEST_P(ServerOpening, TakesAHandfulOfRoundTripsBesidesTheDriversOwn)
{
    ZENTHRA_REQUIRE_POSTGRES();
    SlowServer server;
    const int driver = server.driversOwn();
    ASSERT_GT(driver, 0);
    if (GetParam().tablesThere) {
        TempFolder before;
        const Program first(server, before);
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.open(); }, 20000));
    }
    const int before = server.proxy->roundTrips();
    TempFolder dir;
    const Program program(server, dir);
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.open(); }, 20000));
    EXPECT_LE(server.proxy->roundTrips() - before - 2 * driver, GetParam().atMost);
    EXPECT_EQ(server.admin(QStringLiteral("SELECT count(*) FROM tblProp")).toInt(), 148);
}

INSTANTIATE_TEST_SUITE_P(Starts, ServerOpening,
                         ::testing::Values(
                             // Tables and indexes read in one, made in one, the keyword table made and
                             // seeded in a transaction, its list read; the node and command lists.
                             Start{"TheFirst", false, 11},
                             // The schema read, the keyword list read, the node and command lists.
                             Start{"OnItsTables", true, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

// While the store's opening reads the keyword list the caption says nothing of a list that could
// not be read; once an opening could not read it, it says so.
TEST(ServerOpeningCaption, NamesTheKeywordListMissingOnlyOnceReadingItFailed)
{
    ZENTHRA_REQUIRE_POSTGRES();
    for (const bool readable : {true, false}) {
        SCOPED_TRACE(readable ? "a keyword table that can be read" : "one that cannot");
        SlowServer server;
        if (!readable) {
            server.admin(QStringLiteral("CREATE TABLE tblProp (propId varchar(50))"));
        }
        // Long enough that the opening is still under way once the window is up.
        server.proxy->setDelay(milliseconds(200));
        TempFolder dir;
        Program program(server, dir);
        ASSERT_FALSE(program.app->spotStore().openAnswered());
        program.queueSpot(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return program.app->spotStore().openAnswered(); }, 30000));
        if (readable) {
            EXPECT_EVENTUALLY_EQ(server.admin(QStringLiteral("SELECT count(*) FROM tblAllSpots")).toInt(), 1,
                                 15000);
            EXPECT_EQ(program.captions.filter(keywordsMissing), QStringList());
        } else {
            EXPECT_EVENTUALLY_EQ(
                program.app->status(),
                QStringLiteral("Spots are not being stored (%1): 1 waiting in memory").arg(keywordsMissing),
                5000);
        }
    }
}

struct Moment
{
    const char* name;
    bool whileOpening;
    bool spotsFlowing;
};

void PrintTo(const Moment& m, std::ostream* os)
{
    *os << m.name;
}

class SlowUpdateDx : public ::testing::TestWithParam<Moment>
{
};

// 0.3 s each way: an entry is stored, holding the window for its own round trips alone.
TEST_P(SlowUpdateDx, StoresItsRowInItsOwnRoundTrips)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const Moment moment = GetParam();
    SlowServer server;
    server.proxy->setDelay(milliseconds(300));
    TempFolder dir;
    Program program(server, dir);
    if (!moment.whileOpening) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return program.open(); }, 60000));
    } else {
        ASSERT_FALSE(program.app->database().isOpen());
    }
    QTimer feed;
    int fed = 0;
    QObject::connect(&feed, &QTimer::timeout, [&] { program.queueSpot(fed++); });
    if (moment.spotsFlowing) {
        feed.start(500);
        QTest::qWait(3000);
    }
    if (moment.whileOpening) {
        ASSERT_FALSE(program.app->spotStore().openAnswered());
    }
    const int before = server.proxy->roundTrips();
    program.updateDx(QStringLiteral("dl1abc"), QStringLiteral("JO62QM"));
    if (!moment.spotsFlowing && !moment.whileOpening) {
        // Its statement, prepared, run and put away.
        EXPECT_LE(server.proxy->roundTrips() - before, 3);
    }
    const QString added = QStringLiteral("Zenthra - ADDED OR UPDATED DX STATION DL1ABC in JO62QM");
    EXPECT_EVENTUALLY_EQ(program.app->status(), added, 60000);
    feed.stop();
    EXPECT_EQ(server
                  .admin(QStringLiteral("SELECT count(*) FROM tblDxStation WHERE DxCallsign = 'DL1ABC'"
                                        " AND DxLocatorID = 'JO62QM'"))
                  .toInt(),
              1);
    EXPECT_EQ(program.captions.filter(QStringLiteral("ERROR")), QStringList());
    EXPECT_EQ(dir.lines(QStringLiteral("muf_errors.log")).filter(QStringLiteral("DX_DATABASE")),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Moments, SlowUpdateDx,
                         ::testing::Values(Moment{"OnAQuietRoad", false, false},
                                           Moment{"WhileSpotsFlow", false, true},
                                           Moment{"WhileTheDatabasesOpen", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// An entry still waiting for the opening when the program ends is named in the error log.
TEST(SlowUpdateDxAtTheEnd, AnEntryStillWaitingForTheOpeningIsNamedInTheLog)
{
    ZENTHRA_REQUIRE_POSTGRES();
    SlowServer server;
    server.proxy->silence();
    TempFolder dir;
    Program program(server, dir);
    ASSERT_FALSE(program.app->spotStore().openAnswered());
    program.updateDx(QStringLiteral("DL1ABC"), QStringLiteral("JO62QM"));
    EXPECT_EQ(dir.lines(QStringLiteral("muf_errors.log")).filter(QStringLiteral("DX_DATABASE")),
              QStringList());
    program.app->CLOSE_ZENTHRA(Application::restartCode);
    const QStringList lines =
        dir.lines(QStringLiteral("muf_errors.log")).filter(QStringLiteral("DX_DATABASE"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\t-2147467259 - DX_DATABASE(DL1ABC,JO62QM,")))
        << lines[0].toStdString();
    server.proxy->answer();
}

} // namespace
