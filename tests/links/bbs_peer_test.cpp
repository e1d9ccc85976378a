// The BBS link against the real packet BBS of the peers folder beside the repository, on the port
// and state folder FBB_PORT and FBB_E2E name, else on a free port and a fresh folder.

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

using namespace zenthra;

namespace {

const QString peerScript = QStringLiteral(ZENTHRA_PEERS "/fbb/run-fbb.sh");

struct BbsPeer : ::testing::Test
{
    test::TempFolder state;
    quint16 port = quint16(qEnvironmentVariableIntValue("FBB_PORT"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    BbsPeer()
    {
        if (port == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        env.insert(QStringLiteral("FBB_PORT"), QString::number(port));
        if (!env.contains(QStringLiteral("FBB_E2E"))) {
            env.insert(QStringLiteral("FBB_E2E"), state.file(QStringLiteral("fbb")));
        }
    }
    ~BbsPeer() override { run(QStringLiteral("stop")); }
    // Runs the peer script with one command; its output when it failed.
    QString run(const QString& command)
    {
        QProcess script;
        script.setProcessEnvironment(env);
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(QStringLiteral("/bin/bash"), {peerScript, command});
        const bool ok = script.waitForFinished(100000) && script.exitCode() == 0;
        return ok ? QString() : command + QStringLiteral(": ") + QString::fromLocal8Bit(script.readAll());
    }
};

// A message read with "R 101" keeps its blank lines: after its header and after its body.
TEST_F(BbsPeer, AMessageReadKeepsItsBlankLines)
{
    ASSERT_EQ(run(QStringLiteral("setup")), QString());
    ASSERT_EQ(run(QStringLiteral("start")), QString());
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
