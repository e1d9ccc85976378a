// The BBS link against a real packet BBS on loopback (tests/peers/fbb_peer.sh), on a free port
// and in a fresh state folder of its own.

#include "core/current_node.h"
#include "core/options_model.h"
#include "links/chat_links.h"
#include "shell/text_windows.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QProcess>
#include <QTcpServer>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

using namespace zenthra;

namespace {

const QString peerScript = QStringLiteral(ZENTHRA_FBB_PEER);

struct BbsPeer : ::testing::Test
{
    test::TempFolder state;
    quint16 port = 0;
    QProcess bbs;

    BbsPeer()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    ~BbsPeer() override
    {
        bbs.terminate();
        if (!bbs.waitForFinished(20000)) {
            bbs.kill();
            bbs.waitForFinished();
        }
    }
    // The runner with these arguments; it ends when this test program does, however that ends.
    void start(QProcess& runner, const QStringList& arguments)
    {
        runner.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        runner.setProcessChannelMode(QProcess::MergedChannels);
        runner.start(QStringLiteral("/bin/bash"), QStringList{peerScript} + arguments);
    }
    // Writes the BBS with its users and message and starts it; what went wrong, else nothing.
    QString startBbs()
    {
        const QString folder = state.file(QStringLiteral("fbb"));
        QProcess prepare;
        start(prepare, {QStringLiteral("prepare"), folder, QString::number(port)});
        if (!prepare.waitForFinished(90000) || prepare.exitStatus() != QProcess::NormalExit ||
            prepare.exitCode() != 0) {
            return QStringLiteral("prepare: ") + QString::fromLocal8Bit(prepare.readAll());
        }
        start(bbs, {QStringLiteral("serve"), folder});
        QByteArray said;
        while (!said.contains('\n') && bbs.waitForReadyRead(30000)) {
            said += bbs.readAll();
        }
        const QByteArray ready = "listening on 127.0.0.1:" + QByteArray::number(port) + '\n';
        return said == ready ? QString() : QStringLiteral("serve: ") + QString::fromLocal8Bit(said);
    }
};

// A message read with "R 101" keeps its blank lines: after its header and after its body.
TEST_F(BbsPeer, AMessageReadKeepsItsBlankLines)
{
    ASSERT_EQ(startBbs(), QString());
    CurrentNode node;
    node.strBbsHost = QStringLiteral("127.0.0.1");
    node.sngBbsPort = port;
    node.strBbsCallsign = QStringLiteral("M0ABC");
    node.strBbsPassword = QStringLiteral("ABC123");
    node.strBbsConnectStr = QStringLiteral("R 101");
    OptionsModel options;
    options.sngWindowBuffer = 100000;
    TextWindows windows(options, [] { return QDateTime::currentDateTimeUtc(); });
    BbsLink bbs(node);
    QObject::connect(&bbs, &BbsLink::lineReceived, &windows, &TextWindows::bbsLineReceived);
    bbs.BBS_CONNECT();
    const TextWindow& pane = windows.txtDataRetrieval[4];
    EXPECT_EVENTUALLY(pane.text().contains(QStringLiteral("End of message#: 101")), 30000);
    EXPECT_TRUE(
        pane.text().contains(QStringLiteral("\r\nSubject   : Sysop notice \r\n \r\n(This message has been")))
        << pane.text().toStdString();
    EXPECT_TRUE(pane.text().contains(QStringLiteral("\r\n73 Sam \r\n \r\n     --- End of message#: 101")))
        << pane.text().toStdString();
}

} // namespace
