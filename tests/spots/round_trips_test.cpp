// The round trips a client asks for, counted from the bytes it sends: the framing of the client's
// messages read whole and in every cut.

#include "support/pg_round_trips.h"

#include <QtEndian>
#include <gtest/gtest.h>

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

} // namespace
