#include "core/error_log.h"
#include "core/options_model.h"
#include "core/prompter.h"
#include "links/command_lines.h"
#include "links/links.h"
#include "platform/clock.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::FakeNode;
using zenthra::test::TempFolder;

namespace {

// Answers every input box with a single blank.
class BlankAnswer : public Prompter
{
public:
    std::optional<QString> ask(const QString&, const QString&, const QString&) const override
    {
        return QString(" ");
    }
    void tell(Icon, const QString&, const QString&) const override {}
};

struct CommandFixture : ::testing::Test
{
    TempFolder folder;
    Clock clock;
    ErrorLog log{folder.path(), clock};
    OptionsModel options;
    Links links{options.nodes, [] { return false; }};
    CommandLines lines{options, links, log, folder.path()};
    QSignalSpy texts{&lines, &CommandLines::windowText};
    QSignalSpy cleared{&lines, &CommandLines::screenCleared};
    FakeNode dxcNode;
    FakeNode wwcNode;

    CommandFixture()
    {
        options.nodes.strDxcHost = "127.0.0.1";
        options.nodes.sngDxcPort = dxcNode.port();
        options.nodes.strWwcHost = "127.0.0.1";
        options.nodes.sngWwcPort = wwcNode.port();
    }
    void connectDxc()
    {
        links.dxc.DXC_CONNECT();
        ASSERT_TRUE(dxcNode.accept());
        EXPECT_EVENTUALLY_EQ(links.dxc.socket().state(), int(zenthra::TelnetSocket::Connected), 5000);
    }
    void connectBoth()
    {
        connectDxc();
        links.wwc.WWC_CONNECT();
        ASSERT_TRUE(wwcNode.accept());
        EXPECT_EVENTUALLY_EQ(links.wwc.socket().state(), int(zenthra::TelnetSocket::Connected), 5000);
    }
    // The window texts so far, as "pane:text".
    QStringList shown() const
    {
        QStringList out;
        for (const auto& args : texts) {
            out << QString::number(int(args.at(0).value<LinkPane>())) + u':' + args.at(1).toString();
        }
        return out;
    }
    QString logText() const { return QString::fromUtf8(folder.read(ErrorLog::fileName)); }
};

TEST_F(CommandFixture, DxcLineIsEchoedSentAndKeptOnce)
{
    connectDxc();
    options.setChecked(keys::dxcEcho, true);
    QSignalSpy boxText(&lines.txtDxCommand, &CommandLine::textSet);
    lines.txtDxCommand.enter("sh/dx");
    lines.txtDxCommand.enter(" SH/DX ");
    EXPECT_EQ(dxcNode.received("sh/dx\r\n SH/DX \r\n"), "sh/dx\r\n SH/DX \r\n");
    EXPECT_EQ(shown(), (QStringList{"0:>>>sh/dx<<<", "0:>>> SH/DX <<<"}));
    EXPECT_EQ(lines.txtDxCommand.history()->entries(), QStringList{" SH/DX "});
    EXPECT_EQ(lines.txtDxcCommand2.history()->entries(), QStringList{" SH/DX "});
    ASSERT_EQ(boxText.count(), 2);
    EXPECT_EQ(boxText.at(1).at(0).toString(), "");
}

TEST_F(CommandFixture, ClsNeverReachesTheNode)
{
    connectBoth();
    lines.txtDxCommand.enter(" cls ");
    lines.txtWwcCommand.enter("Cls");
    lines.setChkWWCtoDXC(true);
    lines.txtWwcCommand.enter("CLS");
    lines.txtWwcCommand2.enter("cls");
    QList<LinkPane> panes;
    for (const auto& args : cleared) {
        panes << args.at(0).value<LinkPane>();
    }
    // The separate window's box always clears the chat panes.
    EXPECT_EQ(panes, (QList<LinkPane>{LinkPane::Dxc, LinkPane::Wwc, LinkPane::Dxc, LinkPane::Wwc}));
    EXPECT_EQ(dxcNode.receivedWithin(300), "");
    EXPECT_EQ(wwcNode.receivedWithin(0), "");
    EXPECT_TRUE(lines.txtDxCommand.history()->entries().isEmpty());
}

TEST_F(CommandFixture, ChatLineRoutesTheTextAfterTheMarkerToTheDxcNode)
{
    connectBoth();
    options.setChecked(keys::dxcEcho, true);
    lines.txtWwcCommand.enter("hi >>dxc sh/dx 50");
    EXPECT_EQ(dxcNode.received("sh/dx 50\r\n"), "sh/dx 50\r\n");
    EXPECT_EQ(shown(), QStringList{"0:>>>hi >>dxc sh/dx 50<<<"});
    lines.txtWwcCommand.enter(">>DXC cls");
    EXPECT_EQ(dxcNode.received("sh/dx 50\r\ncls\r\n"), "sh/dx 50\r\ncls\r\n");
    lines.txtWwcCommand.enter("hello all");
    // An empty chat line is sent, and leaves a blank on top of its own list only.
    lines.txtWwcCommand.enter("");
    EXPECT_EQ(wwcNode.received("hello all\r\n\r\n"), "hello all\r\n\r\n");
    EXPECT_EQ(lines.txtWwcCommand.history()->entries().mid(0, 2), (QStringList{"", "hello all"}));
    EXPECT_EQ(lines.txtWwcCommand2.history()->entries().value(0), "hello all");
    lines.setChkWWCtoDXC(true);
    lines.txtWwcCommand.enter("sh/wwv");
    EXPECT_EQ(dxcNode.received("sh/dx 50\r\ncls\r\nsh/wwv\r\n"), "sh/dx 50\r\ncls\r\nsh/wwv\r\n");
    EXPECT_EQ(wwcNode.receivedWithin(300), "hello all\r\n\r\n");
}

TEST_F(CommandFixture, FailedSendsReportAndLogTheLine)
{
    QSignalSpy bbsBox(&lines.txtBbsCommand, &CommandLine::textSet);
    lines.txtBbsCommand.enter("list");
    lines.txtDxCommand.enter("sh/dx");
    lines.txtWwcCommand.enter("hello");
    const QString error =
        "Error: 40006 - Wrong protocol or connection state for the requested transaction or request";
    EXPECT_EVENTUALLY_EQ(shown(), (QStringList{"2:" + error, "0:" + error, "1:" + error}), 5000);
    // The BBS line keeps what could not be sent.
    EXPECT_EQ(bbsBox.count(), 0);
    EXPECT_EQ(links.intLinkError, 1);
    EXPECT_TRUE(logText().contains("40006 - txtbbsCommand_KeyPress(0)")) << logText().toStdString();
}

// The separate windows' boxes log the key code (0 once Enter is consumed), not the typed line:
// a password stays out of the log.
TEST_F(CommandFixture, FailedSendsInTheSeparateBoxesLogTheKeyCode)
{
    lines.txtDxcCommand2.enter("set/password dxc-Secret-2");
    lines.txtWwcCommand2.enter("/pass wwc-Secret-3");
    EXPECT_EVENTUALLY_EQ(logText().count(QStringLiteral("\r\n")), 2, 5000);
    EXPECT_TRUE(logText().contains("40006 - txtDxcCommand2_KeyPress(0)")) << logText().toStdString();
    EXPECT_TRUE(logText().contains("40006 - txtWwcCommand2_KeyPress(0)")) << logText().toStdString();
}

TEST_F(CommandFixture, TwinBoxExitClosesItsWindowAfterTheHistory)
{
    connectDxc();
    QSignalSpy closing(&lines.txtDxcCommand2, &CommandLine::closeRequested);
    lines.txtDxcCommand2.enter("exit");
    EXPECT_EQ(closing.count(), 1);
    EXPECT_EQ(lines.txtDxCommand.history()->entries(), QStringList{"exit"});
    EXPECT_EQ(dxcNode.receivedWithin(300), "");
}

TEST_F(CommandFixture, HistoriesSurviveARestartOnce)
{
    lines.LOAD_SAVE_HISTORY(0);
    EXPECT_TRUE(logText().contains("53 - LOAD_SAVE_HISTORY(0)"));
    lines.txtDxCommand.history()->setEntries({"sh/dx", "  ", "talk g0abc"});
    lines.LOAD_SAVE_HISTORY(3);
    EXPECT_EQ(folder.read("dxc_history.dat"), QByteArray("sh/dx\r\ntalk g0abc\r\n"));
    lines.LOAD_SAVE_HISTORY(2);
    lines.LOAD_SAVE_HISTORY(2);
    EXPECT_EQ(lines.txtDxCommand.history()->entries(), (QStringList{"sh/dx", "talk g0abc"}));
    EXPECT_EQ(lines.txtDxcCommand2.history()->entries(), (QStringList{"sh/dx", "talk g0abc"}));
}

TEST_F(CommandFixture, QuickCommandsPrefillOrSendAtOnce)
{
    connectBoth();
    QSignalSpy prefill(&lines.txtDxCommand, &CommandLine::textSet);
    lines.DXC_QUICK_COMMAND(4);
    ASSERT_EQ(prefill.count(), 1);
    EXPECT_EQ(prefill.at(0).at(0).toString(), "ANNOUNCE/FULL ");
    lines.DXC_QUICK_COMMAND(2);
    EXPECT_EQ(dxcNode.received("SHOW/USERS\r\n"), "SHOW/USERS\r\n");

    const BlankAnswer blank;
    lines.setPrompter(&blank);
    options.strWwcAwayText = "gone";
    lines.mnuWwcComm_Click(2);
    EXPECT_EQ(options.strWwcAwayText, "");
    lines.mnuWwcComm_Click(3);
    EXPECT_EQ(wwcNode.received("/AWAY \r\n"), "/AWAY \r\n");
}

} // namespace
