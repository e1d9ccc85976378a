// The real program ended while spots wait on a slow server: it exits with 0, and every spot the
// node sent is either stored or counted in the error log. The program ended while the name
// servers of its server's name do not answer: the window never waits on them, and the end comes
// within seconds.

#include "shell/application.h"
#include "spots/server_cut_proxy.h"
#include "spots/server_watch.h"
#include "support/fake_node.h"
#include "support/name_servers.h"
#include "support/postgres.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::SpotStore;
using zenthra::test::FakeNode;
using zenthra::test::NameServers;
using zenthra::test::ServerCutProxy;
using zenthra::test::TempFolder;

namespace {

// A database of the test's own on the test server, reached through a relay; dropped at the end.
struct EndServer
{
    EndServer()
    {
        const auto a = zenthra::test::postgresAddress();
        name = QStringLiteral("zenthra_end_%1").arg(QRandomGenerator::global()->generate());
        admin = zenthra::test::openPostgres(name + QStringLiteral("_admin"));
        QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
        db = QSqlDatabase::cloneDatabase(admin, name);
        db.setDatabaseName(name);
        db.open();
        proxy = std::make_unique<ServerCutProxy>(a.host, quint16(a.port));
    }
    ~EndServer()
    {
        proxy.reset();
        db.close();
        db = {};
        QSqlDatabase::removeDatabase(name);
        QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        admin.close();
        admin = {};
        QSqlDatabase::removeDatabase(name + QStringLiteral("_admin"));
    }
    // The count the statement gives, or -1 (the table is not there yet).
    int count(const QString& sql)
    {
        QSqlQuery q(db);
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

    QString name;
    QSqlDatabase admin;
    QSqlDatabase db;
    std::unique_ptr<ServerCutProxy> proxy;
};

// A sporadic-E spot of two stations the call/locator table knows: two rows, one in each table.
QByteArray esSpot(int i)
{
    return QStringLiteral("DX de G4ABC:     50%1.0  S51ZZ        ES 559 n%2                1234Z\r\n")
        .arg(100 + i % 800)
        .arg(i, 4, 10, QLatin1Char('0'))
        .toLatin1();
}

// What the log counts of spots and rows the program ended without storing.
struct Counted
{
    int spots = 0;
    int rows = 0;
    QStringList lines;
};

Counted countedAtTheEnd(const TempFolder& dir)
{
    static const QRegularExpression notProcessed(QStringLiteral("spots waiting for the database: "
                                                                "(\\d+) not processed, (\\d+) dropped"));
    static const QRegularExpression dropped(QStringLiteral("spots waiting for the database: (\\d+) oldest"));
    static const QRegularExpression notWritten(
        QStringLiteral("spot backlog: (\\d+) rows (perhaps )?not written"));
    static const QRegularExpression full(QStringLiteral("spot backlog full: (\\d+) oldest rows dropped"));
    static const QRegularExpression queueFull(QStringLiteral("queue full, (\\d+) line"));
    Counted c;
    for (const QString& line : dir.lines(QStringLiteral("muf_errors.log"))) {
        const QString text = line.section(u'\t', 1);
        if (const auto m = notProcessed.match(text); m.hasMatch()) {
            c.spots += m.captured(1).toInt() + m.captured(2).toInt();
        } else if (const auto d = dropped.match(text); d.hasMatch()) {
            c.spots += d.captured(1).toInt();
        } else if (const auto w = notWritten.match(text); w.hasMatch()) {
            c.rows += w.captured(1).toInt();
        } else if (const auto q = queueFull.match(text); q.hasMatch()) {
            c.spots += q.captured(1).toInt();
        } else if (const auto f = full.match(text); f.hasMatch()) {
            c.rows += f.captured(1).toInt();
        } else {
            continue;
        }
        c.lines << text;
    }
    return c;
}

struct Moment
{
    const char* name;
    // Each way.
    int delayMs;
    int spots;
    // Between two spots sent.
    int spacingMs;
    // After the last spot the program is asked to end this much later, each run a step further
    // into `spreadMs`, so that the runs meet the writes at different statements.
    int endAfterMs;
    int spreadMs;
    int runs = 3;
    // The node hangs up after its last spot: the program has then received every one, those its
    // link holds back while the road is full included.
    bool hangUp = false;
};

void PrintTo(const Moment& m, std::ostream* os)
{
    *os << m.name;
}

class ProgramEnd : public ::testing::TestWithParam<Moment>
{
};

// The program, its spots database on a server a relay puts far away, takes spots from a node and
// is asked to end (SIGTERM) while they wait, as the look-ups, the processing or the writes of a
// transaction go on: it ends with 0, and each spot sent is stored (its two rows, one in each
// table) or counted in the error log, as a spot or as its two rows. A slow server answers: it is
// never named as one that did not. Each moment is tried a few times over, each time a little later.
TEST_P(ProgramEnd, WhileSpotsWaitOnASlowServerEndsCleanWithEverySpotStoredOrCounted)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const Moment& m = GetParam();
    for (int run = 0; run < m.runs; ++run) {
        SCOPED_TRACE(run);
        EndServer server;
        FakeNode node;
        TempFolder dir;
        zenthra::test::installStartFiles(dir);
        zenthra::test::prepareSettings(dir, {{1, QStringLiteral("s")},
                                             {2, QStringLiteral("127.0.0.1:%1").arg(server.proxy->port())},
                                             {3, server.name},
                                             {4, zenthra::test::postgresAddress().user},
                                             {10, QStringLiteral("IO91WM")},
                                             {11, QStringLiteral("127.0.0.1")},
                                             {12, QString::number(node.port())},
                                             {13, QStringLiteral("G0ABC")},
                                             {15, QStringLiteral("True")},
                                             {31, QStringLiteral("True")},
                                             {40, QStringLiteral("True")},
                                             {41, QStringLiteral("True")}});
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(ZENTHRA_BINARY), {QStringLiteral("--folder"), dir.path()});
        ASSERT_TRUE(program.waitForStarted(10000));
        ASSERT_TRUE(node.accept());
        // The program has made its tables; both stations are known before the first spot.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return server.count(QStringLiteral("SELECT count(*) FROM tblDxStation")) == 0; }, 20000));
        QSqlQuery station(server.db);
        ASSERT_TRUE(
            station.exec(QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) "
                                        "VALUES ('G4ABC', 'IO91WM', now()), ('S51ZZ', 'JN76DB', now())")))
            << station.lastError().text().toStdString();
        server.proxy->setDelay(std::chrono::milliseconds(m.delayMs));
        for (int i = 0; i < m.spots; ++i) {
            node.sendQuickly(esSpot(i));
            QTest::qWait(m.spacingMs);
        }
        if (m.hangUp) {
            node.hangUp();
        }
        QTest::qWait(m.endAfterMs + m.spreadMs * run / m.runs);
        ASSERT_EQ(program.state(), QProcess::Running);
        QElapsedTimer ending;
        ending.start();
        program.terminate();
        const bool ended = program.waitForFinished(20000);
        if (!ended) {
            program.kill();
            program.waitForFinished(5000);
        }
        ASSERT_TRUE(ended);
        // The goodbye and the spots received take 4 s at most, the store's end 4.5 s.
        EXPECT_LT(ending.elapsed(), 12000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        server.proxy->setDelay(std::chrono::milliseconds(0));
        const int stored = server.count(QStringLiteral("SELECT count(*) FROM tblAllSpots"));
        EXPECT_EQ(server.count(QStringLiteral("SELECT count(*) FROM tblSPOT")), stored);
        const Counted counted = countedAtTheEnd(dir);
        const std::string told =
            "stored " + std::to_string(stored) + "\n" + counted.lines.join(u'\n').toStdString();
        EXPECT_EQ(counted.rows % 2, 0) << told;
        EXPECT_EQ(stored + counted.spots + counted.rows / 2, m.spots) << told;
        for (const QString& line : dir.lines(QStringLiteral("muf_errors.log"))) {
            EXPECT_FALSE(line.contains(QLatin1String("did not answer"))) << line.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moments, ProgramEnd,
    ::testing::Values(
        // The look-ups of the first spots are under way.
        Moment{"AsTheFloodArrives", 100, 40, 0, 0, 500},
        Moment{"SecondsIntoTheFlood", 100, 40, 0, 2000, 1500}, Moment{"ASteadyFeed", 100, 30, 150, 500, 1000},
        // The look-ups are done and the rows are being written, a commit's answer on its way.
        Moment{"WhileRowsAreWritten", 100, 8, 0, 4200, 1000, 6},
        Moment{"FartherAway", 300, 20, 0, 1000, 1000},
        // More than wait in memory: the queue fills and the link holds the rest back.
        Moment{"AFloodBeyondWhatWaitsInMemory", 300, 1300, 0, 1000, 0, 3, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The largest pause of the window's event loop while it runs.
class LoopPauses
{
public:
    LoopPauses()
    {
        m_since.start();
        QObject::connect(&m_tick, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_tick.start(10);
    }
    qint64 longest() const { return m_longest; }

private:
    QTimer m_tick;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

// The program's server named as a list whose first name's name servers never answer, beside an
// address that does. The window's layer opens beside the store's without waiting on the name,
// and no name is looked up on the window's thread; the program ends within seconds, once the
// window's layer is open, and while the store's opening still waits for the name.
TEST(ProgramNames, WhileANameIsNotAnsweredForTheWindowNeverWaitsAndTheEndComesWithinSeconds)
{
    ZENTHRA_REQUIRE_POSTGRES();
    for (const bool windowOpen : {true, false}) {
        SCOPED_TRACE(windowOpen ? "the window's layer open" : "the store's opening waiting for the name");
        EndServer server;
        TempFolder dir;
        zenthra::test::installStartFiles(dir);
        zenthra::test::prepareSettings(
            dir, {{1, QStringLiteral("s")},
                  {2, QStringLiteral("hangs.zenthra.invalid,127.0.0.1:%1").arg(server.proxy->port())},
                  {3, server.name},
                  {4, zenthra::test::postgresAddress().user}});
        NameServers names;
        auto app = std::make_unique<Application>(DataFolder(dir.path()));
        app->spotStore().serverWatch()->setResolver(names.resolver());
        // Start-up waits a moment for the databases by design, shorter than the store's wait for
        // names: the window's side is watched from then on.
        app->OPEN_ZENTHRA();
        LoopPauses pauses;
        if (windowOpen) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return app->database().isOpen(); }, 15000));
            QTest::qWait(500);
            EXPECT_LT(pauses.longest(), 2000);
        }
        EXPECT_GT(names.lookUps(), 0);
        EXPECT_TRUE(names.noneOn(std::this_thread::get_id()));
        QElapsedTimer ending;
        ending.start();
        app->CLOSE_ZENTHRA(0);
        app.reset();
        EXPECT_LT(ending.elapsed(),
                  (SpotStore::finishWait + SpotStore::answerWait + SpotStore::cutWait).count() + 3000);
    }
}

} // namespace
