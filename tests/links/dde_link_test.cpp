#include "core/options_model.h"
#include "links/dde_link.h"
#include "platform/logger_poke.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using zenthra::DdeLink;
using zenthra::LoggerAddress;
using zenthra::LoggerPoke;
using zenthra::OptionsModel;

namespace {

// A logging program on loopback: keeps the bytes of each connection, in the order the
// connections were closed by the sender.
class FakeLogger : public QObject
{
public:
    explicit FakeLogger(quint16 port = 0)
    {
        m_server.listen(QHostAddress::LocalHost, port);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++connections;
                auto buffer = std::make_shared<QByteArray>();
                connect(s, &QTcpSocket::readyRead, s, [s, buffer] { buffer->append(s->readAll()); });
                connect(s, &QTcpSocket::disconnected, s, [this, s, buffer] {
                    buffer->append(s->readAll());
                    records.push_back(*buffer);
                    s->deleteLater();
                });
            }
        });
    }
    bool listening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    // Waits until `count` connections have been closed by the sender.
    bool waitForRecords(std::size_t count)
    {
        for (int i = 0; i < 200 && records.size() < count; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return records.size() >= count;
    }

    int connections = 0;
    std::vector<QByteArray> records;

private:
    QTcpServer m_server;
};

// A port on loopback where nobody listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

struct Link
{
    OptionsModel options;
    std::vector<QString> captions;
    DdeLink dde{options, [this](const QString& text) { captions.push_back(text); }};
    QSignalSpy sent{&dde, &DdeLink::sendFinished};

    explicit Link(quint16 port)
    {
        options.setChecked(QStringLiteral("mnuDDE(1)"), true);
        options.strDdeExeName = QString::number(port);
        options.strDdeTopic = QStringLiteral("Logger");
        options.strDdeItem = QStringLiteral("Spot");
    }
    // One tick of the sender; true when the send reported back.
    bool sendOne()
    {
        const qsizetype before = sent.count();
        dde.tmrTarnLog_Timer();
        if (!dde.blnDdeBusy()) {
            return true;
        }
        return sent.wait(5000) && sent.count() == before + 1;
    }
};

QByteArray record(const char* line)
{
    return QByteArray("Logger\tSpot\t") + line + "\r\n";
}

TEST(DdeLink, SendsTheExactRecordOverOneConnectionPerLine)
{
    FakeLogger logger;
    ASSERT_TRUE(logger.listening());
    Link link(logger.port());
    const char* lines[] = {"DX de G4ABC:  50110.0  EA7XYZ  ES 59  1234Z", "DX de K1ABC:  144300.0  W1XYZ  tr",
                           "DX de DL1AA:  70200.0  OZ1BB   Es  \u00e9t\u00e9"};
    for (const char* line : lines) {
        link.dde.DDE_ADD_TO_ARRAY(QString::fromUtf8(line));
    }
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(link.sendOne());
        EXPECT_TRUE(link.sent.last().at(0).toBool());
    }
    ASSERT_TRUE(logger.waitForRecords(3));
    EXPECT_EQ(logger.connections, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(logger.records[i], record(lines[i])) << i;
    }
    EXPECT_TRUE(link.dde.arrDdeQueue().empty());
    EXPECT_TRUE(link.captions.empty());
}

TEST(DdeLink, HostAndPortAddressTheLoggerToo)
{
    FakeLogger logger;
    Link link(logger.port());
    link.options.strDdeExeName = QStringLiteral("127.0.0.1:%1").arg(logger.port());
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("a"));
    ASSERT_TRUE(link.sendOne());
    ASSERT_TRUE(logger.waitForRecords(1));
    EXPECT_EQ(logger.records[0], record("a"));
}

TEST(DdeLink, LinesLeaveInArrivalOrderEvenWhenAddedBetweenSends)
{
    FakeLogger logger;
    Link link(logger.port());
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("one"));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("two"));
    ASSERT_TRUE(link.sendOne());
    // The head's slot is free again now; a new line still waits behind "two".
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("three"));
    ASSERT_EQ(link.dde.arrDdeQueue().size(), 2u);
    EXPECT_EQ(link.dde.arrDdeQueue().front(), QStringLiteral("two"));
    ASSERT_TRUE(link.sendOne());
    ASSERT_TRUE(link.sendOne());
    ASSERT_TRUE(logger.waitForRecords(3));
    EXPECT_EQ(logger.records[0], record("one"));
    EXPECT_EQ(logger.records[1], record("two"));
    EXPECT_EQ(logger.records[2], record("three"));
}

TEST(DdeLink, HoldsTwentyOneLinesAndDropsTheTwentySecond)
{
    OptionsModel options;
    DdeLink dde(options, {});
    for (int i = 1; i <= 22; ++i) {
        dde.DDE_ADD_TO_ARRAY(QStringLiteral("line %1").arg(i));
    }
    dde.DDE_ADD_TO_ARRAY(QString());
    ASSERT_EQ(dde.arrDdeQueue().size(), 21u);
    EXPECT_EQ(dde.arrDdeQueue().front(), QStringLiteral("line 1"));
    EXPECT_EQ(dde.arrDdeQueue().back(), QStringLiteral("line 21"));
}

TEST(DdeLink, EmptyLinesAreNeverQueued)
{
    OptionsModel options;
    DdeLink dde(options, {});
    dde.DDE_ADD_TO_ARRAY(QString());
    EXPECT_TRUE(dde.arrDdeQueue().empty());
}

TEST(DdeLink, RefusedConnectionKeepsTheHeadUntilTheLoggerListens)
{
    const quint16 port = closedPort();
    Link link(port);
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("first"));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("second"));
    ASSERT_TRUE(link.sendOne());
    EXPECT_FALSE(link.sent.last().at(0).toBool());
    ASSERT_EQ(link.captions.size(), 1u);
    EXPECT_EQ(link.captions[0], QStringLiteral("Zenthra calcs: Error: DDE Link Failure, check settings"));
    ASSERT_EQ(link.dde.arrDdeQueue().size(), 2u);
    EXPECT_EQ(link.dde.arrDdeQueue().front(), QStringLiteral("first"));
    EXPECT_FALSE(link.dde.blnDdeBusy());

    FakeLogger logger(port);
    ASSERT_TRUE(logger.listening());
    ASSERT_TRUE(link.sendOne());
    EXPECT_TRUE(link.sent.last().at(0).toBool());
    ASSERT_TRUE(logger.waitForRecords(1));
    EXPECT_EQ(logger.records[0], record("first"));
    ASSERT_EQ(link.dde.arrDdeQueue().size(), 1u);
    EXPECT_EQ(link.dde.arrDdeQueue().front(), QStringLiteral("second"));
}

TEST(DdeLink, AnUnusableAddressIsAFailureToo)
{
    for (const char* name : {"", "logger", "host:", "host:0", "host:70000"}) {
        Link link(1);
        link.options.strDdeExeName = QString::fromLatin1(name);
        link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("line"));
        ASSERT_TRUE(link.sendOne()) << name;
        EXPECT_FALSE(link.sent.last().at(0).toBool());
        EXPECT_EQ(link.dde.arrDdeQueue().size(), 1u);
        EXPECT_EQ(link.captions.size(), 1u);
    }
}

TEST(DdeLink, BlankLinesAndLinesWhileUntickedLeaveWithoutAPoke)
{
    FakeLogger logger;
    Link link(logger.port());
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("   "));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("kept back"));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("sent"));
    link.dde.DDE_SEND_QUEUE();
    EXPECT_FALSE(link.dde.blnDdeBusy());
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 2u);
    link.options.setChecked(QStringLiteral("mnuDDE(1)"), false);
    link.dde.DDE_SEND_QUEUE();
    EXPECT_FALSE(link.dde.blnDdeBusy());
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 1u);
    link.options.setChecked(QStringLiteral("mnuDDE(1)"), true);
    ASSERT_TRUE(link.sendOne());
    ASSERT_TRUE(logger.waitForRecords(1));
    // Only the last line made a connection.
    EXPECT_EQ(logger.connections, 1);
    EXPECT_EQ(logger.records[0], record("sent"));
    EXPECT_EQ(link.sent.count(), 1);
}

TEST(DdeLink, ATickDuringASendDoesNothing)
{
    FakeLogger logger;
    Link link(logger.port());
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("one"));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("two"));
    link.dde.tmrTarnLog_Timer();
    ASSERT_TRUE(link.dde.blnDdeBusy());
    link.dde.tmrTarnLog_Timer();
    link.dde.DDE_SEND_QUEUE();
    ASSERT_TRUE(link.sent.wait(5000));
    ASSERT_TRUE(logger.waitForRecords(1));
    EXPECT_EQ(logger.connections, 1);
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 1u);
    EXPECT_EQ(link.sent.count(), 1);
}

struct AddressCase
{
    const char* text;
    const char* host; // nullptr: refused
    quint16 port;
};

void PrintTo(const AddressCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class LoggerAddresses : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(LoggerAddresses, Parse)
{
    const AddressCase& c = GetParam();
    const auto address = LoggerAddress::parse(QString::fromLatin1(c.text));
    if (!c.host) {
        EXPECT_FALSE(address.has_value());
        return;
    }
    ASSERT_TRUE(address.has_value());
    EXPECT_EQ(address->host, QString::fromLatin1(c.host));
    EXPECT_EQ(address->port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    DdeLink, LoggerAddresses,
    ::testing::Values(AddressCase{"5000", "127.0.0.1", 5000}, AddressCase{" 5000 ", "127.0.0.1", 5000},
                      AddressCase{"logpc:52001", "logpc", 52001},
                      AddressCase{" 10.0.0.7 : 65535", "10.0.0.7", 65535},
                      AddressCase{"[::1]:7373", "::1", 7373}, AddressCase{"", nullptr, 0},
                      AddressCase{"N1MM", nullptr, 0}, AddressCase{":5000", nullptr, 0},
                      AddressCase{"host:0", nullptr, 0}, AddressCase{"host:65536", nullptr, 0},
                      AddressCase{"host:50a", nullptr, 0}, AddressCase{"-1", nullptr, 0}));

TEST(DdeLink, TheRecordIsTopicItemLineInUtf8)
{
    EXPECT_EQ(LoggerPoke::record(QStringLiteral("T"), QStringLiteral("I"), QStringLiteral("DX de \u00c5")),
              QByteArray("T\tI\tDX de \xc3\x85\r\n"));
}

} // namespace
