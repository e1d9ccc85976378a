// The server watch between a layer and a server that answers, works slowly, or falls silent:
// only silence cuts a statement, it is cut within moments, and until the server answers again
// every statement, a transaction's too, fails at once instead of waiting on it. Anything the
// server sends answers an ask, asks are spaced, and a statement's limit counts from what its own
// connection last heard.

#include "spots/database_fixture.h"
#include "spots/relayed_server.h"
#include "support/postgres.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "spots/database.h"
#include "spots/server_watch.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

// Short enough for a test, in the proportions the program uses.
constexpr ServerWatch::Timing quick{milliseconds(300), milliseconds(1000), milliseconds(4000)};

struct Layer
{
    Layer()
    {
        server.aim(settings);
        db.setServerSchema(server.schema);
        db.setServerWatch(watch);
        db.OPEN_DATABASES(settings.strDbType);
    }
    ~Layer()
    {
        proxy->answer();
        db.CLOSE_DATABASES();
    }
    // How long the statement took, and how it failed.
    qint64 timed(const std::function<bool(SqlFailure&)>& statement, bool& ok, SqlFailure& why)
    {
        why = {};
        QElapsedTimer t;
        t.start();
        ok = statement(why);
        return t.elapsed();
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer server{"sw"};
    ServerCutProxy* proxy = server.proxy.get();
    std::shared_ptr<ServerWatch> watch = std::make_shared<ServerWatch>(quick);
    Database db{settings, folder, log, {}};
};

TEST(ServerWatch, OnlySilenceCutsAStatement)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layer l;
    ASSERT_TRUE(l.db.isOpen());
    bool ok = false;
    SqlFailure why;
    // Longer than the moment after which the server is asked, and than the limit the watch would
    // leave armed on the connection, had it kept one after the statement.
    l.timed(
        [&](SqlFailure& w) {
            return l.db.exec(Store::Spots, QStringLiteral("SELECT pg_sleep(1)"), {}, nullptr, &w);
        },
        ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
    QTest::qWait(int(quick.limit.count()) + 500);
    l.timed(
        [&](SqlFailure& w) { return l.db.exec(Store::Spots, QStringLiteral("SELECT 1"), {}, nullptr, &w); },
        ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
    EXPECT_EQ(l.watch->cuts(), 0);
}

struct Silenced
{
    const char* name;
    std::function<bool(Database&, SqlFailure&)> statement;
};

void PrintTo(const Silenced& s, std::ostream* os)
{
    *os << s.name;
}

class SilentServer : public ::testing::TestWithParam<Silenced>
{
};

TEST_P(SilentServer, IsFoundWithinMomentsAndRefusedAtOnceUntilItAnswers)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layer l;
    ASSERT_TRUE(l.db.isOpen());
    l.proxy->silence();
    bool ok = true;
    SqlFailure why;
    const qint64 first = l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.text, QStringLiteral("the database server does not answer"));
    EXPECT_LT(first, 3000);
    const qint64 next = l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.text, QStringLiteral("the database server does not answer"));
    EXPECT_LT(next, 500);

    l.proxy->answer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return l.watch->silence().isEmpty(); }, 5000));
    // The connection that was cut is made anew for the next statement.
    l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Statements, SilentServer,
                         ::testing::Values(Silenced{"Select",
                                                    [](Database& db, SqlFailure& why) {
                                                        return db.exec(Store::Spots,
                                                                       QStringLiteral("SELECT 1"), {},
                                                                       nullptr, &why);
                                                    }},
                                           Silenced{"Transaction",
                                                    [](Database& db, SqlFailure& why) {
                                                        Database::Transaction t(db, Store::Spots, &why);
                                                        return t.begun() && t.commit(&why);
                                                    }},
                                           Silenced{"Prepared",
                                                    [](Database& db, SqlFailure& why) {
                                                        QSqlQuery q = db.prepare(
                                                            Store::Spots, QStringLiteral("SELECT ?"), &why);
                                                        q.addBindValue(1);
                                                        return why.number == 0 &&
                                                               db.run(Store::Spots, q, &why);
                                                    }}),
                         [](const auto& info) { return std::string(info.param.name); });

// A connection to the test server through a relay, as the role that logs in with a password, and
// a watch that asks the server through the relay too, as the same role.
struct Watched
{
    explicit Watched(ServerWatch::Timing timing = quick) : watch(timing)
    {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), uniqueName("watched"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(proxy.port());
        db.setDatabaseName(pg.database);
        db.setUserName(pg.passwordUser);
        db.setPassword(pg.password);
        db.open();
        watch.setAddress(
            {QStringLiteral("127.0.0.1"), proxy.port(), pg.database, pg.passwordUser, pg.password});
    }
    ~Watched()
    {
        const QString name = db.connectionName();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        for (const int fd : sockets) {
            ::close(fd);
        }
    }
    // Runs `sql` under the watch, every row fetched within: whether it succeeded, and how long it
    // took. Should the watch leave a hung statement alone, the relay lets it go on after a while,
    // so that the test fails rather than hangs.
    bool run(const QString& sql, qint64* took = nullptr)
    {
        std::promise<void> done;
        std::thread guard([this, ended = done.get_future()] {
            if (ended.wait_for(std::chrono::seconds(8)) == std::future_status::timeout) {
                proxy.answer();
            }
        });
        QElapsedTimer t;
        t.start();
        QSqlQuery q(db);
        bool ok = false;
        {
            const ServerWatch::Statement statement(&watch, db);
            ok = q.exec(sql);
        }
        if (took) {
            *took = t.elapsed();
        }
        done.set_value();
        guard.join();
        return ok;
    }
    // A socket of the test's own, closed at the end.
    int socket()
    {
        sockets.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        return sockets.back();
    }

    PostgresAddress pg = postgresAddress();
    ServerCutProxy proxy{pg.host, quint16(pg.port)};
    ServerWatch watch;
    QSqlDatabase db;
    std::vector<int> sockets;
};

sockaddr_in loopback(const char* address, quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &a.sin_addr);
    return a;
}

// A port on loopback that refuses connections: bound, never listening.
quint16 closedPort(Watched& w)
{
    const int fd = w.socket();
    sockaddr_in a = loopback("127.0.0.1", 0);
    socklen_t size = sizeof a;
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), size), 0);
    EXPECT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size), 0);
    return ntohs(a.sin_port);
}

// An address whose packets are dropped: a listener whose queue is full (one connection nobody
// accepts) drops the next ones, which wait on without an answer.
void droppingAddress(Watched& w, const char* address, quint16 port)
{
    const int listener = w.socket();
    const sockaddr_in a = loopback(address, port);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::connect(w.socket(), reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
}

struct Answering
{
    const char* name;
    std::function<void(Watched&)> setUp;
};

void PrintTo(const Answering& a, std::ostream* os)
{
    *os << a.name;
}

class AnsweringServer : public ::testing::TestWithParam<Answering>
{
};

// However the server answers an ask, slowly or with a refusal, it answers: a statement longer than
// the moment after which it is asked runs to its end.
TEST_P(AnsweringServer, IsNeverCalledSilent)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Watched w;
    ASSERT_TRUE(w.db.isOpen());
    GetParam().setUp(w);
    EXPECT_TRUE(w.run(QStringLiteral("SELECT pg_sleep(2)")));
    EXPECT_EQ(w.watch.silence(), QString());
    EXPECT_EQ(w.watch.cuts(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Asks, AnsweringServer,
    ::testing::Values(
        // 0.6 s a round trip: the password exchange takes longer than an address is given.
        Answering{"PasswordOverASlowPath", [](Watched& w) { w.proxy.setDelay(milliseconds(300)); }},
        Answering{"WrongPassword",
                  [](Watched& w) {
                      w.watch.setAddress({QStringLiteral("127.0.0.1"), w.proxy.port(), w.pg.database,
                                          w.pg.passwordUser, QStringLiteral("wrong")});
                  }},
        Answering{"ClosedPort",
                  [](Watched& w) {
                      w.watch.setAddress({QStringLiteral("127.0.0.1"), closedPort(w), w.pg.database,
                                          w.pg.passwordUser, w.pg.password});
                  }},
        Answering{"FirstAddressDropsPackets",
                  [](Watched& w) {
                      droppingAddress(w, "127.0.0.2", w.proxy.port());
                      w.watch.setAddress({QStringLiteral("127.0.0.2,127.0.0.1"), w.proxy.port(),
                                          w.pg.database, w.pg.passwordUser, w.pg.password});
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

class SilentAddress : public ::testing::TestWithParam<const char*>
{
};

// A server silent at one of its addresses is silent, whatever another address says: the
// program's own connections would wait on it. Nothing listens at 127.0.0.2.
TEST_P(SilentAddress, IsSilentThoughAnotherRefusesUntilItAnswers)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Watched w;
    ASSERT_TRUE(w.db.isOpen());
    w.watch.setAddress(
        {QString::fromLatin1(GetParam()), w.proxy.port(), w.pg.database, w.pg.passwordUser, w.pg.password});
    w.proxy.silence();
    qint64 took = 0;
    EXPECT_FALSE(w.run(QStringLiteral("SELECT 1"), &took));
    EXPECT_EQ(w.watch.silence(), QStringLiteral("the database server does not answer"));
    EXPECT_LT(took, (quick.askAfter + quick.answerWithin).count() + 1000);
    // Back, over a path so slow that a login takes longer than an address is given: the first
    // answer ends the silence.
    w.proxy.setDelay(milliseconds(300));
    w.proxy.answer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.watch.silence().isEmpty(); }, 4000));
}

INSTANTIATE_TEST_SUITE_P(Hosts, SilentAddress,
                         ::testing::Values("127.0.0.1", "127.0.0.2,127.0.0.1", "localhost"),
                         [](const auto& info) {
                             return std::string(std::array{"Alone", "BesideARefusal", "ByName"}[info.index]);
                         });

TEST(ServerWatch, AsksAreSpaced)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Watched w;
    ASSERT_TRUE(w.db.isOpen());
    const int before = w.proxy.accepted();
    qint64 took = 0;
    EXPECT_TRUE(w.run(QStringLiteral("SELECT pg_sleep(2)"), &took));
    const int asks = w.proxy.accepted() - before;
    EXPECT_GE(asks, 2);
    EXPECT_LE(asks, took / quick.askAfter.count());
}

struct Quiet
{
    const char* name;
    std::function<void(ServerCutProxy&)> path;
    bool cut;
};

void PrintTo(const Quiet& q, std::ostream* os)
{
    *os << q.name;
}

class StatementLimit : public ::testing::TestWithParam<Quiet>
{
};

// The limit counts from what the statement's own connection last heard, whatever new connections
// hear: rows that still come run on past it, a connection that hears nothing is cut at it.
TEST_P(StatementLimit, CountsFromWhatTheConnectionLastHeard)
{
    ZENTHRA_REQUIRE_POSTGRES();
    constexpr ServerWatch::Timing timing{milliseconds(300), milliseconds(1000), milliseconds(1000)};
    Watched w(timing);
    ASSERT_TRUE(w.db.isOpen());
    GetParam().path(w.proxy);
    qint64 took = 0;
    // About 22 kB: 2.2 s at 10 kB/s.
    const bool ok = w.run(QStringLiteral("SELECT repeat('x', 100) FROM generate_series(1, 200)"), &took);
    EXPECT_EQ(ok, !GetParam().cut);
    EXPECT_EQ(w.watch.cuts(), GetParam().cut ? 1 : 0);
    EXPECT_EQ(w.watch.silence(), QString());
    if (GetParam().cut) {
        EXPECT_GE(took, timing.limit.count());
        EXPECT_LT(took, timing.limit.count() + 1000);
    } else {
        EXPECT_GT(took, 2 * timing.limit.count());
    }
}

INSTANTIATE_TEST_SUITE_P(Connections, StatementLimit,
                         ::testing::Values(Quiet{"RowsStillComing",
                                                 [](ServerCutProxy& p) { p.setRate(10000); }, false},
                                           Quiet{"HangsWhileNewOnesAreAnswered",
                                                 [](ServerCutProxy& p) { p.silenceOpen(); }, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
