// The relay's count of round trips, on which tests of a long path bound what a step costs: each
// simple query and each Sync the client sends after its startup packet, wherever the bytes were
// cut, and nothing of the login.

#include "spots/database_fixture.h"
#include "spots/server_cut_proxy.h"
#include "support/postgres.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QtEndian>
#include <gtest/gtest.h>

#include <thread>

using namespace zenthra::test;

namespace {

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// A message of the protocol after the startup packet: its type, then a length that counts itself.
QByteArray message(char type, const QByteArray& body)
{
    return type + be32(quint32(body.size() + 4)) + body;
}

QByteArray text(const char* s)
{
    return QByteArray(s) + '\0';
}

// Reads the server's messages until `count` ReadyForQuery have come (the answer to the SSL
// request, a lone byte, first when asked for).
bool readUntilReady(QTcpSocket& socket, int count, bool sslAnswerFirst)
{
    QByteArray got;
    int ready = 0;
    qsizetype at = 0;
    while (ready < count) {
        if (!socket.waitForReadyRead(5000)) {
            return false;
        }
        got += socket.readAll();
        if (sslAnswerFirst && at == 0 && !got.isEmpty()) {
            at = 1;
        }
        while (got.size() - at >= 5) {
            const qsizetype length = qFromBigEndian<quint32>(got.constData() + at + 1);
            if (got.size() - at < 1 + length) {
                break;
            }
            ready += got[at] == 'Z' ? 1 : 0;
            at += 1 + length;
        }
    }
    return true;
}

// Sends one byte at a time, so the relay reads headers and bodies cut at every place.
void sendBytewise(QTcpSocket& socket, const QByteArray& bytes)
{
    for (char c : bytes) {
        socket.write(&c, 1);
        socket.waitForBytesWritten(1000);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

TEST(RelayRoundTrips, EachQueryAndEachSyncAfterTheStartupCountsOnceWhereverTheBytesAreCut)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const PostgresAddress a = postgresAddress();
    ServerCutProxy proxy(a.host, quint16(a.port));
    QTcpSocket socket;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.connectToHost(QStringLiteral("127.0.0.1"), proxy.port());
    ASSERT_TRUE(socket.waitForConnected(5000));

    // The startup packet's protocol code and the request codes hold the letters 'Q' and 'S' nowhere
    // a type byte would be, but the bodies below do.
    sendBytewise(socket, be32(8) + be32(80877103));
    ASSERT_TRUE(socket.waitForReadyRead(5000));
    ASSERT_EQ(socket.readAll(), QByteArray("N"));
    const QByteArray startupBody = be32(196608) + text("user") + text(qPrintable(a.user)) + text("database") +
                                   text(qPrintable(a.database)) + QByteArray(1, '\0');
    sendBytewise(socket, be32(quint32(startupBody.size() + 4)) + startupBody);
    ASSERT_TRUE(readUntilReady(socket, 1, false));
    EXPECT_EQ(proxy.roundTrips(), 0);

    const QByteArray simple = message('Q', text("SELECT 'QSQS'"));
    const QByteArray extended =
        message('P', text("") + text("SELECT 'SQ' || $1::text") + QByteArray(2, '\0')) +
        message('B', text("") + text("") + QByteArray(2, '\0') + QByteArray("\0\1", 2) + be32(1) + "S" +
                         QByteArray(2, '\0')) +
        message('E', text("") + be32(0)) + message('S', {});
    sendBytewise(socket, simple + extended + simple);
    ASSERT_TRUE(readUntilReady(socket, 3, false));
    EXPECT_EQ(proxy.roundTrips(), 3);
    socket.write(message('X', {}));
    socket.waitForBytesWritten(1000);
}

TEST(RelayRoundTrips, APasswordLoginCostsNoMoreThanATrustedOne)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const PostgresAddress a = postgresAddress();
    ServerCutProxy proxy(a.host, quint16(a.port));
    const auto open = [&](const QString& name, const QString& user, const QString& password) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(proxy.port());
        db.setUserName(user);
        db.setPassword(password);
        db.setDatabaseName(a.database);
        return db.open();
    };
    const QString trusted = uniqueName("rt");
    const QString withPassword = uniqueName("rt");
    ASSERT_TRUE(open(trusted, a.user, {}));
    const int driverOwn = proxy.roundTrips();
    EXPECT_GT(driverOwn, 0);
    ASSERT_TRUE(open(withPassword, a.passwordUser, a.password));
    EXPECT_EQ(proxy.roundTrips(), 2 * driverOwn);
    {
        QSqlQuery q(QSqlDatabase::database(trusted, false));
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT 1")));
    }
    EXPECT_EQ(proxy.roundTrips(), 2 * driverOwn + 1);
    for (const QString& name : {trusted, withPassword}) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

} // namespace
