#include "platform/telnet_socket.h"
#include "support/fake_node.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::TelnetSocket;
using zenthra::test::FakeNode;

namespace {

struct Connection
{
    FakeNode node;
    TelnetSocket socket;
    QSignalSpy chunks{&socket, &TelnetSocket::dataArrival};

    bool open()
    {
        QSignalSpy up(&socket, &TelnetSocket::connected);
        socket.connectTo(QStringLiteral("127.0.0.1"), node.port());
        return node.accept() && (up.count() > 0 || up.wait(5000));
    }
    // Joins the chunks received so far, waiting until `text` has arrived.
    QString text(const QString& expected)
    {
        QString all;
        for (int i = 0; i < 50; ++i) {
            all.clear();
            for (const auto& args : chunks) {
                all += args.at(0).toString();
            }
            if (all == expected) {
                break;
            }
            chunks.wait(100);
        }
        return all;
    }
};

} // namespace

TEST(TelnetSocket, SendsUnchangedAndReportsAPeerClosingAsAClose)
{
    Connection c;
    ASSERT_TRUE(c.open());
    EXPECT_EQ(c.socket.state(), TelnetSocket::Connected);
    EXPECT_EQ(c.socket.sendData("G0ABC\r\n"), 0);
    EXPECT_EQ(c.node.received("G0ABC\r\n"), QByteArray("G0ABC\r\n"));
    QSignalSpy closed(&c.socket, &TelnetSocket::remoteClosed);
    QSignalSpy errors(&c.socket, &TelnetSocket::errorOccurred);
    c.node.hangUp();
    ASSERT_TRUE(closed.count() > 0 || closed.wait(5000));
    EXPECT_EQ(errors.count(), 0);
    EXPECT_EQ(c.socket.state(), TelnetSocket::Closed);
    EXPECT_EQ(c.socket.sendData("q\r\n"), TelnetSocket::errWrongState);
}

TEST(TelnetSocket, RefusesPortsOutsideTheTcpRangeAndReportsARefusedConnectionAsAnErrorNotAClose)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    TelnetSocket socket;
    QSignalSpy errors(&socket, &TelnetSocket::errorOccurred);
    QSignalSpy closed(&socket, &TelnetSocket::remoteClosed);
    EXPECT_EQ(socket.connectTo("127.0.0.1", 0), TelnetSocket::errInvalidPort);
    EXPECT_EQ(socket.connectTo("127.0.0.1", 65536), TelnetSocket::errInvalidPort);
    socket.connectTo("127.0.0.1", port);
    ASSERT_TRUE(errors.wait(5000));
    EXPECT_EQ(errors.at(0).at(0).toInt(), 10061);
    EXPECT_EQ(socket.state(), TelnetSocket::Error);
    EXPECT_EQ(closed.count(), 0);
}

TEST(TelnetSocket, RefusesAndStripsOptionNegotiationEvenWhenSplit)
{
    Connection c;
    ASSERT_TRUE(c.open());
    // DO TERMINAL-TYPE, WILL ECHO split inside the sequence, a subnegotiation, NOP, IAC IAC.
    c.node.send(QByteArray("\xff\xfd\x18log", 6));
    QTest::qWait(50);
    c.node.send(QByteArray("in\xff", 3));
    QTest::qWait(50);
    // NUL is dropped from the text only: negotiation carries it as a value (DO BINARY, window size).
    c.node.send(QByteArray("\xfb\x01: \xff\xfa\x18\x01\xff\xf0\xff\xf1x\xff\xffy\r\0"
                           "\xff\xfd\x00\xff\xfa\x1f\x00\x50\x00\x18\xff\xf0",
                           30));
    EXPECT_EQ(c.text(QString::fromLatin1("login: x\xffy\r")), QString::fromLatin1("login: x\xffy\r"));
    const QByteArray refusals("\xff\xfc\x18\xff\xfe\x01\xff\xfc\x00", 9);
    EXPECT_EQ(c.node.received(refusals), refusals);
}

TEST(TelnetSocket, DecodesEachLineOfAReadOnItsOwn)
{
    Connection c;
    ASSERT_TRUE(c.open());
    // A read that ends in the lead byte of a two-byte character; then one read: the rest of a
    // UTF-8 line, a windows-1252 line (0x96 is its en dash) and a UTF-8 em dash cut after its
    // second byte.
    c.node.send("Gr\xc3");
    c.node.send("\xbc\xc3\x9f"
                "e\r\n14 \x96 21 MHz, G\xfcnter\r\n73 \xe2\x80");
    c.node.send("\x94 OK\r\n");
    const QString expected = QString::fromUtf8("Grüße\r\n14 – 21 MHz, Günter\r\n73 — OK\r\n");
    EXPECT_EQ(c.text(expected), expected);
    // A packet node ends its lines with CR alone: one in windows-1252 leaves the next ones UTF-8,
    // in the same read or a later one.
    c.node.send("M\xfcnchen\rM\xc3\xbcnchen\rM\xc3\xbcnchen\r");
    c.node.send("M\xc3\xbcnchen\rM\xc3\xbcnchen\rM\xc3\xbcnchen\r");
    const QString more = expected + QString::fromUtf8("München\r").repeated(6);
    EXPECT_EQ(c.text(more), more);
}

TEST(TelnetSocket, AnUnterminatedSubnegotiationGivesUpAndTheTextBehindItArrives)
{
    Connection c;
    ASSERT_TRUE(c.open());
    QByteArray spots;
    for (int i = 0; i < 100; ++i) {
        spots +=
            "DX de G0ABC:     50313.0  CT7Z" + QByteArray::number(i) + "  FT8 Es IN50 JN59  2110Z\a\a\r\n";
    }
    c.node.send("\xff\xfa" + spots);
    EXPECT_EQ(c.text(QString::fromLatin1(spots)), QString::fromLatin1(spots));
}
