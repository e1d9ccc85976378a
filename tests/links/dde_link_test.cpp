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
using zenthra::OptionsModel;

namespace {

// A logging program on loopback: the bytes of each connection, in the order they were closed.
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
                    records.push_back(*buffer + s->readAll());
                    s->deleteLater();
                });
            }
        });
    }
    bool listening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
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
        dde.tmrTarnLog_Timer();
        return !dde.blnDdeBusy() || sent.wait(5000);
    }
    QString head() const { return dde.arrDdeQueue().front(); }
};

QByteArray record(const char* line)
{
    return QByteArray("Logger\tSpot\t") + line + "\r\n";
}

TEST(DdeLink, SendsEachLineInArrivalOrderAsOneUtf8RecordPerConnection)
{
    FakeLogger logger;
    ASSERT_TRUE(logger.listening());
    Link link(logger.port());
    const char* lines[] = {"DX de G4ABC:  50110.0  EA7XYZ  ES 59  1234Z",
                           "DX de DL1AA:  70200.0  OZ1BB   \u00e9t\u00e9"};
    link.dde.DDE_ADD_TO_ARRAY(QString::fromUtf8(lines[0]));
    link.dde.DDE_ADD_TO_ARRAY(QString::fromUtf8(lines[1]));
    ASSERT_TRUE(link.sendOne());
    // A host and port address the logger as well as a bare port.
    link.options.strDdeExeName = QStringLiteral("127.0.0.1:%1").arg(logger.port());
    ASSERT_TRUE(link.sendOne());
    ASSERT_TRUE(logger.waitForRecords(2));
    EXPECT_EQ(logger.connections, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(logger.records[i], record(lines[i])) << i;
    }
    EXPECT_TRUE(link.dde.arrDdeQueue().empty());
    EXPECT_TRUE(link.captions.empty());
}

TEST(DdeLink, HoldsTwentyOneLinesAndNeverAnEmptyOne)
{
    OptionsModel options;
    DdeLink dde(options, {});
    dde.DDE_ADD_TO_ARRAY(QString());
    for (int i = 1; i <= 22; ++i) {
        dde.DDE_ADD_TO_ARRAY(QStringLiteral("line %1").arg(i));
    }
    ASSERT_EQ(dde.arrDdeQueue().size(), 21u);
    EXPECT_EQ(dde.arrDdeQueue().front(), QStringLiteral("line 1"));
    EXPECT_EQ(dde.arrDdeQueue().back(), QStringLiteral("line 21"));
}

TEST(DdeLink, RefusedConnectionKeepsTheHeadUntilTheLoggerListens)
{
    quint16 port = 0;
    {
        FakeLogger probe;
        port = probe.port();
    }
    Link link(port);
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("first"));
    link.dde.DDE_ADD_TO_ARRAY(QStringLiteral("second"));
    ASSERT_TRUE(link.sendOne());
    EXPECT_FALSE(link.sent.last().at(0).toBool());
    EXPECT_EQ(link.captions,
              std::vector<QString>{QStringLiteral("Zenthra calcs: Error: DDE Link Failure, check settings")});
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 2u);

    FakeLogger logger(port);
    ASSERT_TRUE(logger.listening());
    ASSERT_TRUE(link.sendOne());
    EXPECT_TRUE(link.sent.last().at(0).toBool());
    ASSERT_TRUE(logger.waitForRecords(1));
    EXPECT_EQ(logger.records[0], record("first"));
    EXPECT_EQ(link.head(), QStringLiteral("second"));
}

TEST(DdeLink, BlankLinesLinesWhileUntickedAndTicksDuringASendMakeNoPoke)
{
    FakeLogger logger;
    Link link(logger.port());
    for (const char* line : {"   ", "kept back", "one", "two"}) {
        link.dde.DDE_ADD_TO_ARRAY(QString::fromLatin1(line));
    }
    link.dde.DDE_SEND_QUEUE();
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 3u);
    link.options.setChecked(QStringLiteral("mnuDDE(1)"), false);
    link.dde.DDE_SEND_QUEUE();
    EXPECT_FALSE(link.dde.blnDdeBusy());
    EXPECT_EQ(link.dde.arrDdeQueue().size(), 2u);
    link.options.setChecked(QStringLiteral("mnuDDE(1)"), true);
    link.dde.tmrTarnLog_Timer();
    ASSERT_TRUE(link.dde.blnDdeBusy());
    link.dde.tmrTarnLog_Timer();
    ASSERT_TRUE(link.sent.wait(5000));
    ASSERT_TRUE(logger.waitForRecords(1));
    EXPECT_EQ(logger.connections, 1);
    EXPECT_EQ(logger.records[0], record("one"));
    EXPECT_EQ(link.sent.count(), 1);
}

TEST(DdeLink, ParsesTheLoggerAddress)
{
    const struct
    {
        const char* text;
        const char* host; // nullptr: refused
        quint16 port;
    } cases[] = {{" 5000 ", "127.0.0.1", 5000}, {" 10.0.0.7 : 65535", "10.0.0.7", 65535},
                 {"[::1]:7373", "::1", 7373},   {"", nullptr, 0},
                 {"N1MM", nullptr, 0},          {"host:0", nullptr, 0},
                 {"host:65536", nullptr, 0},    {"host:50a", nullptr, 0}};
    for (const auto& c : cases) {
        const auto address = LoggerAddress::parse(QString::fromLatin1(c.text));
        ASSERT_EQ(address.has_value(), c.host != nullptr) << c.text;
        if (address) {
            EXPECT_EQ(address->host, QString::fromLatin1(c.host)) << c.text;
            EXPECT_EQ(address->port, c.port) << c.text;
        }
    }
}

} // namespace
