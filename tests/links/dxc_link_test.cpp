#include "core/current_node.h"
#include "links/dxc_link.h"
#include "support/fake_node.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::CurrentNode;
using zenthra::DxcLink;
using zenthra::test::FakeNode;

namespace {

struct DxcFixture : ::testing::Test
{
    FakeNode node;
    CurrentNode current;
    qint16 linkError = 1;
    bool autoClx = true;
    DxcLink link{current, linkError, [this] { return autoClx; }};
    QSignalSpy lines{&link, &DxcLink::lineReceived};
    QSignalSpy captions{&link, &DxcLink::statusChanged};

    DxcFixture()
    {
        current.strDxcHost = "127.0.0.1";
        current.sngDxcPort = node.port();
        current.strDxcCallsign = "G0ABC";
        current.strDxcPassword = "s3cret";
    }
    void connectLink()
    {
        link.DXC_CONNECT();
        ASSERT_TRUE(node.accept());
        QTest::qWait(50);
    }
    QStringList received()
    {
        QStringList out;
        for (const auto& args : lines) {
            out << args.at(0).toString();
        }
        return out;
    }
};

} // namespace

TEST_F(DxcFixture, PacketNodeWithCallPasswordAndMenu)
{
    connectLink();
    EXPECT_EQ(linkError, 0);
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::AwaitLogin);
    node.send("Welcome to the packet node\r\nCallsign : ");
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    node.send("Password : ");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\n"), "G0ABC\r\ns3cret\r\n");
    node.send("Connected. Menu: BBS, CONV, DXC, NODES\r\n=> ");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\nDXC\r\n"), "G0ABC\r\ns3cret\r\nDXC\r\n");
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
    node.send("G0ABC de GB7DXC 06-Dec-2026 2200Z dxspider >\r\n");
    EXPECT_EQ(node.receivedWithin(600), "G0ABC\r\ns3cret\r\nDXC\r\n");
}

TEST_F(DxcFixture, TelnetClusterNodeWithoutPassword)
{
    connectLink();
    node.send("\xff\xfd\x18login: ");
    EXPECT_EQ(node.received("\xff\xfc\x18G0ABC\r\n"), "\xff\xfc\x18G0ABC\r\n");
    node.send("Hello G0ABC, this is GB7XX in London\r\n");
    node.send("Cluster: 312 nodes, 4000 users\r\n");
    node.send("G0ABC de GB7XX  6-Dec-2026 2200Z >\r\n");
    EXPECT_EQ(node.receivedWithin(600), "\xff\xfc\x18G0ABC\r\n");
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
}

TEST_F(DxcFixture, ClusterWithoutItsPromptGetsDxc)
{
    connectLink();
    node.send("login: ");
    node.send("Password: ");
    node.send("Hello\r\n");
    node.send("Node menu\r\n");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\nDXC\r\n"), "G0ABC\r\ns3cret\r\nDXC\r\n");
}

TEST_F(DxcFixture, PromptsSplitAcrossReads)
{
    connectLink();
    node.send("Call");
    node.send("sign :");
    EXPECT_EQ(node.received("G0ABC\r\n"), "G0ABC\r\n");
    node.send("Pass");
    node.send("word :");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\n"), "G0ABC\r\ns3cret\r\n");
    node.send("\r\n"); // the end of the prompt line is no second prompt
    EXPECT_EQ(node.receivedWithin(700), "G0ABC\r\ns3cret\r\n");
}

TEST_F(DxcFixture, CallAndPasswordPromptInOneRead)
{
    connectLink();
    node.send("login: \r\npassword: ");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\n"), "G0ABC\r\ns3cret\r\n");
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::AwaitMenu);
}

TEST_F(DxcFixture, WithoutAutoLoginNothingIsSent)
{
    autoClx = false;
    connectLink();
    node.send("login: ");
    node.send("Password: ");
    EXPECT_EQ(node.receivedWithin(700), "");
    EXPECT_EQ(received(), (QStringList{"login: Password: "}));
}

namespace {

// A DX Spider node: "login: " without a line end, then its greeting and prompt in one piece.
const QByteArray spiderHello = "Hello M0ZZZ, this is GB7TST in Testland running DXSpider V1.57\r\n";
const QByteArray spiderUsers = "Cluster: 312 nodes, 12 local / 4000 total users  Max users 5000\r\n";
const QByteArray spiderGreeting = spiderHello + spiderUsers;
const QByteArray spiderPrompt = "M0ZZZ de GB7TST  6-Dec-2026 2330Z dxspider >";
const QByteArray spots[] = {
    "DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\a\a\r\n",
    "DX de PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n",
    "DX de SM5ABC:    50120.0  OH6DEF       AU   JO89<AU>KP32              1835Z\a\a\r\n",
};

struct SpiderLogin
{
    const char* name;
    QList<QByteArray> replies; // what the node sends after "login: " (a bait: after the login)
    QByteArray sent;           // all the program sends
};

const SpiderLogin spiderLogins[] = {
    {"PromptWithLineEnd", {spiderGreeting + spiderPrompt + "\r\n"}, "M0ZZZ\r\n"},
    {"PromptWithoutLineEnd", {spiderGreeting + spiderPrompt}, "M0ZZZ\r\n"},
    {"WithPassword", {"password: ", spiderGreeting + spiderPrompt + "\r\n"}, "M0ZZZ\r\ns3cret\r\n"},
    {"LineByLine", {spiderHello, spiderUsers, spiderPrompt + "\r\n"}, "M0ZZZ\r\n"},
};

void PrintTo(const SpiderLogin& login, std::ostream* os)
{
    *os << login.name;
}

struct SpiderNode : DxcFixture
{
    SpiderNode() { current.strDxcCallsign = "M0ZZZ"; }
    // Logs in, then the node sends spots: the program sends `login.sent` and nothing more.
    void logIn(const SpiderLogin& login)
    {
        connectLink();
        node.send("login: ");
        for (const QByteArray& reply : login.replies) {
            node.send(reply);
        }
        for (const QByteArray& spot : spots) {
            node.send(spot);
        }
        EXPECT_EQ(node.received(login.sent), login.sent);
        EXPECT_EQ(node.receivedWithin(900), login.sent);
        EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
    }
};

struct DxSpider : SpiderNode, ::testing::WithParamInterface<SpiderLogin>
{
};
struct PasswordBait : DxSpider
{
};

// Text of other users, or a node asking again: never answered once logged in.
const SpiderLogin baits[] = {
    {"Talk", {"M0ZZZ de G4XXX: what is your password:\r\n"}, "M0ZZZ\r\n"},
    {"Announcement", {"To ALL de G4XXX: type your password:\r\n"}, "M0ZZZ\r\n"},
    {"BareLine", {"Password:\r\n"}, "M0ZZZ\r\n"},
    {"BarePrompt", {"Password: "}, "M0ZZZ\r\n"},
    {"LastLineOfAChunk", {spots[0] + "Please enter your password : "}, "M0ZZZ\r\n"},
};

} // namespace

TEST_P(DxSpider, LoginEndsAtTheClusterPrompt)
{
    logIn(GetParam());
}

INSTANTIATE_TEST_SUITE_P(DxcLink, DxSpider, ::testing::ValuesIn(spiderLogins),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(PasswordBait, IsNotAnsweredAfterTheLogin)
{
    logIn(spiderLogins[3]);
    node.send(GetParam().replies.first());
    EXPECT_EQ(node.receivedWithin(900), GetParam().sent);
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
}

INSTANTIATE_TEST_SUITE_P(DxcLink, PasswordBait, ::testing::ValuesIn(baits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DxcFixture, AssemblesLinesAndRemovesThreeDots)
{
    autoClx = false;
    connectLink();
    node.send("DX de G0ABC:     50313.0  CT7ZZZ ...");
    node.send("FT8 Es.. IN50 2110Z\a\a\r\nDX de");
    node.send(" PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n");
    ASSERT_TRUE(lines.count() >= 2 || lines.wait(2000));
    EXPECT_EQ(received(),
              (QStringList{
                  "DX de G0ABC:     50313.0  CT7ZZZ FT8 Es.. IN50 2110Z\a\a\r\n",
                  "DX de PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n",
              }));
}

TEST_F(DxcFixture, UnfinishedTextIsPassedOnAfterAPause)
{
    autoClx = false;
    connectLink();
    node.send("G0ABC de GB7XX >");
    EXPECT_EQ(lines.count(), 0);
    ASSERT_TRUE(lines.wait(2000));
    EXPECT_EQ(received(), QStringList{"G0ABC de GB7XX >"});
}

TEST_F(DxcFixture, DisconnectSaysGoodbyeAndCloses)
{
    connectLink();
    link.DXC_DISCONNECT();
    EXPECT_EQ(node.received("bye\r\nq\r\n"), "bye\r\nq\r\n");
    EXPECT_TRUE(node.closedByClient());
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
    EXPECT_TRUE(link.blnDxcClosing);
    EXPECT_EQ(captions.last().at(0).toString(), "Zenthra calcs from DXC. DXC STATUS: Connected");
}

TEST_F(DxcFixture, ReconnectSaysGoodbyeToTheOldNodeFirst)
{
    connectLink();
    FakeNode second;
    current.sngDxcPort = second.port();
    link.DXC_CONNECT();
    EXPECT_EQ(node.received("bye\r\nq\r\n"), "bye\r\nq\r\n");
    ASSERT_TRUE(second.accept());
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::AwaitLogin);
    EXPECT_FALSE(link.blnDxcClosing);
}

TEST_F(DxcFixture, RefusedConnectionRaisesTheLinkError)
{
    current.sngDxcPort = 1; // nothing listens on port 1 of loopback
    QSignalSpy texts(&link, &DxcLink::windowText);
    link.DXC_CONNECT();
    ASSERT_TRUE(texts.wait(3000));
    EXPECT_TRUE(texts.at(0).at(0).toString().startsWith("Error WinSock (10061) "))
        << texts.at(0).at(0).toString().toStdString();
    EXPECT_EQ(linkError, 1);
}

TEST_F(DxcFixture, PortOutsideTheTcpRangeIsRefusedWithAClearStatus)
{
    current.sngDxcPort = 70000;
    link.DXC_CONNECT();
    QTest::qWait(600);
    EXPECT_EQ(captions.last().at(0).toString(),
              "Zenthra calcs from DXC. DXC STATUS: port 70000 is not a TCP port (1-65535), check the node");
    EXPECT_EQ(link.WinsockDXC.state(), 0);
    EXPECT_EQ(linkError, 1); // unchanged: no connection was started
}
