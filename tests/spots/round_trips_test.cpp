// The round trips a client asks for, as the relay counts them from the bytes it carries: the
// framing of the client's messages read whole and in every cut, and real libpq sessions through
// the relay, each way of asking the server counted as it waits for the answer.

#include "spots/server_cut_proxy.h"
#include "support/pg_round_trips.h"
#include "support/postgres.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <ostream>

using namespace zenthra::test;

namespace {

QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// Before the startup packet: a length and a code, no type byte.
QByteArray untyped(qint32 code, const QByteArray& body = {})
{
    return int32(8 + qint32(body.size())) + int32(code) + body;
}
QByteArray startup()
{
    // Names and values that hold the letters counted after it.
    return untyped(196608, QByteArray("user\0SQ\0database\0Sync\0\0", 24));
}
QByteArray sslRequest()
{
    return untyped(80877103);
}
QByteArray message(char type, const QByteArray& body = {})
{
    return type + int32(4 + qint32(body.size())) + body;
}
QByteArray query(const char* sql)
{
    return message('Q', QByteArray(sql) + '\0');
}
// The extended protocol's statement: parse, bind, describe, execute, then a sync.
QByteArray extended(const char* sql)
{
    return message('P', QByteArray("\0", 1) + sql + QByteArray("\0\0\0", 3)) +
           message('B', QByteArray(10, '\0')) + message('D', QByteArray("P\0", 2)) +
           message('E', QByteArray(5, '\0')) + message('S');
}

struct Stream
{
    const char* name;
    QByteArray bytes;
    int roundTrips;
};

void PrintTo(const Stream& s, std::ostream* os)
{
    *os << s.name;
}

class ClientStream : public ::testing::TestWithParam<Stream>
{
};

TEST_P(ClientStream, CountsEachWaitForTheServerOnceHoweverTheBytesAreCut)
{
    const Stream& s = GetParam();
    PgRoundTrips whole;
    EXPECT_EQ(whole.clientBytes(s.bytes), s.roundTrips);
    EXPECT_EQ(whole.total(), s.roundTrips);

    PgRoundTrips byByte;
    for (const char c : s.bytes) {
        byByte.clientBytes(QByteArrayView(&c, 1));
    }
    EXPECT_EQ(byByte.total(), s.roundTrips);

    for (qsizetype cut = 1; cut < s.bytes.size(); ++cut) {
        PgRoundTrips halves;
        const int first = halves.clientBytes(s.bytes.first(cut));
        const int second = halves.clientBytes(s.bytes.sliced(cut));
        EXPECT_EQ(first + second, s.roundTrips) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framing, ClientStream,
    ::testing::Values(
        Stream{"StartupAlone", startup(), 0}, Stream{"OneQuery", startup() + query("SELECT 1"), 1},
        // The letters of a message's body are not read as types.
        Stream{"QueryWhoseTextHoldsTypeLetters", startup() + query("SELECT 'QS' AS S"), 1},
        Stream{"TwoQueries", startup() + query("BEGIN") + query("COMMIT"), 2},
        Stream{"ExtendedStatement", startup() + extended("SELECT $1"), 1},
        // Many statements before one sync wait for one answer.
        Stream{"ThreeStatementsOneSync",
               startup() + extended("SELECT 1").chopped(5) + extended("SELECT 2").chopped(5) +
                   extended("SELECT 3"),
               1},
        Stream{"PasswordAndTerminate",
               startup() + message('p', QByteArray("secret\0", 7)) + query("SELECT 1") + message('X'), 1},
        Stream{"SslRefusedThenStartup", sslRequest() + startup() + query("SELECT 1"), 1},
        Stream{"LongQuery", startup() + query(QByteArray(70000, 'Q').constData()) + message('S'), 2}),
    [](const ::testing::TestParamInfo<Stream>& info) { return std::string(info.param.name); });

struct PgFinish
{
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct PgClear
{
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, PgClear>;

struct Session
{
    const char* name;
    std::function<bool(PGconn*)> work;
    int roundTrips;
};

void PrintTo(const Session& s, std::ostream* os)
{
    *os << s.name;
}

class RelayedSession : public ::testing::TestWithParam<Session>
{
};

bool ok(PGresult* r)
{
    const Result held(r);
    const ExecStatusType status = PQresultStatus(r);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_PIPELINE_SYNC;
}

TEST_P(RelayedSession, TheRelayCountsWhatTheClientWaitedFor)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const PostgresAddress a = postgresAddress();
    ServerCutProxy relay(a.host, quint16(a.port));
    const QByteArray info = QStringLiteral("host=127.0.0.1 port=%1 dbname=%2 user=%3")
                                .arg(relay.port())
                                .arg(a.database, a.user)
                                .toUtf8();
    const std::unique_ptr<PGconn, PgFinish> c(PQconnectdb(info.constData()));
    ASSERT_EQ(PQstatus(c.get()), CONNECTION_OK) << PQerrorMessage(c.get());
    // libpq's login asks nothing of the server after the startup packet.
    EXPECT_EQ(relay.roundTrips(), 0);
    ASSERT_TRUE(GetParam().work(c.get())) << PQerrorMessage(c.get());
    EXPECT_EQ(relay.roundTrips(), GetParam().roundTrips);
}

INSTANTIATE_TEST_SUITE_P(
    Libpq, RelayedSession,
    ::testing::Values(
        Session{"SimpleQueries",
                [](PGconn* c) { return ok(PQexec(c, "SELECT 1")) && ok(PQexec(c, "SELECT 2")); }, 2},
        Session{"BoundParameters",
                [](PGconn* c) {
                    const char* values[] = {"7"};
                    return ok(PQexecParams(c, "SELECT $1::int", 1, nullptr, values, nullptr, nullptr, 0));
                },
                1},
        Session{"PreparedTwice",
                [](PGconn* c) {
                    const char* values[] = {"7"};
                    return ok(PQprepare(c, "s", "SELECT $1::int", 1, nullptr)) &&
                           ok(PQexecPrepared(c, "s", 1, values, nullptr, nullptr, 0)) &&
                           ok(PQexecPrepared(c, "s", 1, values, nullptr, nullptr, 0));
                },
                3},
        // Three statements sent together, one sync: the client waits once.
        Session{"Pipeline",
                [](PGconn* c) {
                    bool sent = PQenterPipelineMode(c) == 1;
                    for (const char* sql : {"SELECT 1", "SELECT 2", "SELECT 3"}) {
                        sent =
                            sent && PQsendQueryParams(c, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
                    }
                    sent = sent && PQpipelineSync(c) == 1;
                    int results = 0;
                    bool synced = false;
                    while (sent && !synced) {
                        PGresult* r = PQgetResult(c);
                        if (!r) {
                            continue;
                        }
                        synced = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
                        results += PQresultStatus(r) == PGRES_TUPLES_OK;
                        sent = ok(r);
                    }
                    return sent && results == 3 && PQexitPipelineMode(c) == 1;
                },
                1}),
    [](const ::testing::TestParamInfo<Session>& info) { return std::string(info.param.name); });

} // namespace
