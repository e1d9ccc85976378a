// The BBS link against a real packet BBS: Debian's fbb mailbox, run on loopback by the peers
// folder beside the repository. FBB_PORT and FBB_E2E choose its port and state folder (as the
// peer's README says); without them a free port and a fresh folder are taken.

#include "core/current_node.h"
#include "core/options_model.h"
#include "links/chat_links.h"
#include "shell/text_windows.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace zenthra;

namespace {

const QString peerScript = QStringLiteral(ZENTHRA_PEERS "/fbb/run-fbb.sh");

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class FbbPeer
{
public:
    FbbPeer()
    {
        const QString port = qEnvironmentVariable("FBB_PORT");
        const QString state = qEnvironmentVariable("FBB_E2E");
        m_port = port.isEmpty() ? freePort() : port.toUShort();
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("FBB_PORT"), QString::number(m_port));
        m_env.insert(QStringLiteral("FBB_E2E"),
                     state.isEmpty() ? m_state.file(QStringLiteral("fbb")) : state);
    }
    ~FbbPeer() { run(QStringLiteral("stop"), 30000); }
    quint16 port() const { return m_port; }
    // Runs the peer script with one command; its output when it failed.
    QString run(const QString& command, int ms)
    {
        QProcess script;
        script.setProcessEnvironment(m_env);
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(QStringLiteral("/bin/bash"), {peerScript, command});
        const bool done = script.waitForFinished(ms);
        const QString output = QString::fromLocal8Bit(script.readAll());
        if (!done) {
            script.kill();
            script.waitForFinished();
            return command + QStringLiteral(" did not finish: ") + output;
        }
        return script.exitCode() == 0 ? QString() : output;
    }

private:
    test::TempFolder m_state;
    quint16 m_port = 0;
    QProcessEnvironment m_env;
};

// A message read with "R 101" keeps its blank lines in the BBS window: between its header and
// the read count, and between its body and its end line.
TEST(BbsPeer, AMessageReadKeepsItsBlankLines)
{
    ASSERT_TRUE(QFileInfo(peerScript).isExecutable()) << "no peer BBS script at " << peerScript.toStdString();
    FbbPeer peer;
    ASSERT_EQ(peer.run(QStringLiteral("setup"), 100000), QString());
    ASSERT_EQ(peer.run(QStringLiteral("start"), 30000), QString());

    CurrentNode node;
    node.strBbsHost = QStringLiteral("127.0.0.1");
    node.sngBbsPort = peer.port();
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
    EXPECT_EVENTUALLY(pane.text().contains(QStringLiteral("(H for help) >")) &&
                          pane.text().contains(QStringLiteral("End of message#: 101")),
                      30000);
    EXPECT_TRUE(
        pane.text().contains(QStringLiteral("\r\nSubject   : Sysop notice \r\n \r\n(This message has been")))
        << pane.text().toStdString();
    EXPECT_TRUE(pane.text().contains(QStringLiteral("\r\n73 Sam \r\n \r\n     --- End of message#: 101")))
        << pane.text().toStdString();
    bbs.BBS_DISCONNECT();
    EXPECT_EVENTUALLY_EQ(bbs.WinsockBBS.state(), 0, 5000);
}

} // namespace
