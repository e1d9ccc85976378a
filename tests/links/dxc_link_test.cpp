#include "core/current_node.h"
#include "links/dxc_link.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::CurrentNode;
using zenthra::DxcLink;
using zenthra::test::FakeNode;
using zenthra::test::Piece;
using namespace Qt::Literals::StringLiterals;

namespace {

// What a node sends, piece by piece, during a login; what the program sends back in all; where
// the login stands at the end; and the piece after which the reconnect tick asks for its empty
// line, if it does.
struct Login
{
    const char* name;
    QList<Piece> pieces;
    QByteArray sent;
    DxcLink::LoginStage stage = DxcLink::Idle;
    qsizetype tickAfter = -1;
};

void PrintTo(const Login& login, std::ostream* os)
{
    *os << login.name;
}

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
        EXPECT_EVENTUALLY_EQ(link.WinsockDXC.state(), int(zenthra::TelnetSocket::Connected), 5000);
        EXPECT_EQ(linkError, 0);
    }
    // The program sends `login.sent` and nothing more.
    void logIn(const Login& login)
    {
        connectLink();
        for (qsizetype i = 0; i < login.pieces.size(); ++i) {
            EXPECT_TRUE(node.play(login.pieces[i], link));
            if (i == login.tickAfter) {
                link.sendIdleLine({});
            }
        }
        EXPECT_EQ(node.received(login.sent), login.sent);
        EXPECT_EQ(node.receivedWithin(800), login.sent);
        EXPECT_EQ(link.intDxcLoginStage, login.stage);
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

struct DxcLogin : DxcFixture, ::testing::WithParamInterface<Login>
{
};

// Another user's line: "password:" inside a line is talk, never a node's prompt.
const QByteArray talk = "<g4xyz>: g0abc, what is the club password: ?\n";
const QByteArray greeting = "Hello G0ABC, this is GB7TST in London\r\n";
const QByteArray cutTalk = "To ALL de G4XYZ: g0abc, what is the club password:";

// A node's greeting and message of the day after the password, then its prompt, in segments of
// 1448 bytes (what a TCP segment holds on most paths) a few milliseconds apart.
QList<Piece> motdInSegments()
{
    QByteArray text = "Hello G0ABC, this is GB7XX in London running DXSpider V1.57\r\n";
    for (int line = 1; line <= 45; ++line) {
        text += "Welcome to the cluster: please keep announcements short. Motd line " +
                QByteArray::number(line) + "\r\n";
    }
    text += "G0ABC de GB7XX  6-Dec-2026 2200Z dxspider >\r\n";
    QList<Piece> pieces{"login: ", "password: "};
    const int gaps[] = {5, 40, 12, 25};
    for (qsizetype at = 0, i = 0; at < text.size(); at += 1448, ++i) {
        const bool last = at + 1448 >= text.size();
        pieces << Piece(text.mid(at, 1448), last ? -1 : gaps[i % 4]);
    }
    return pieces;
}

const Login logins[] = {
    {"PacketNodeWithCallPasswordAndMenu",
     {"Welcome to the packet node\r\nCallsign : ", "Password : ",
      "Connected. Menu: BBS, CONV, DXC, NODES\r\n=> ", "G0ABC de GB7DXC 06-Dec-2026 2200Z dxspider >\r\n"},
     "G0ABC\r\ns3cret\r\nDXC\r\n"},
    {"TelnetClusterNodeWithoutPassword",
     {"\xff\xfd\x18login: ", "Hello G0ABC, this is GB7XX in London\r\n", "Cluster: 312 nodes, 4000 users\r\n",
      "G0ABC de GB7XX  6-Dec-2026 2200Z >\r\n"},
     "\xff\xfc\x18G0ABC\r\n"},
    // The end of the prompt line is no second prompt.
    {"PromptsSplitAcrossReads",
     {"Call", "sign :", "Pass", "word :", "\r\n"},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitPrompt},
    {"CallAndPasswordPromptInOneRead", {"login: \r\npassword: "}, "G0ABC\r\ns3cret\r\n", DxcLink::AwaitMenu},
    // The login stages are still open after a packet node's greeting.
    {"TalkAfterAPacketNodeGreeting",
     {"login: ", "Welcome G0ABC. node> ", talk},
     "G0ABC\r\n",
     DxcLink::AwaitPrompt},
    {"TalkRightAfterTheCall", {"login: ", talk}, "G0ABC\r\n", DxcLink::AwaitMenu},
    // Prompts on a line of their own, ended by CR or CR LF, as mail-style and packet nodes send them.
    {"PasswordPromptEndedByCr", {"login: ", "Password:\r"}, "G0ABC\r\ns3cret\r\n", DxcLink::AwaitMenu},
    {"PasswordPromptLine", {"login: ", "Password:\r\n"}, "G0ABC\r\ns3cret\r\n", DxcLink::AwaitMenu},
    {"LoginPromptLine", {"login:\r\n"}, "G0ABC\r\n", DxcLink::CallSent},
    {"PacketNodeRelayPrompt", {"\r\rCallsign :\r"}, "G0ABC\r\n", DxcLink::CallSent},
    // A telnet node sends a bare CR as CR NUL, and NUL means nothing; the NUL may come in a later read.
    {"PromptsFollowedByNul",
     {"login:\r\0"_ba, "Password : \0"_ba},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    {"NulOfCrNulInALaterRead",
     {"login: \0"_ba, {"Password:\r", 100}, {"\0"_ba, 0}},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    // A prompt the network cut in two, with a pause between the parts.
    {"PasswordPromptCutWithAPause",
     {"login: ", {"Pass", 700}, "word: "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    {"PasswordPromptCutWithALongPause",
     {"login: ", {"Pass", 2500}, "word: "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    // A password prompt trickling in: no piece asks, yet each may begin the prompt, so none is
    // a login stage of its own and nothing but the password answers the whole prompt.
    {"PasswordPromptInFourPieces",
     {"login: ", {"p", 300}, {"as", 1000}, {"sw", 600}, "ord: "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    {"PasswordPromptInPiecesAfterTheGreeting",
     {"login: ", greeting, {"Pass", 400}, {"wo", 900}, {"rd", 300}, ": "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    // Talk cut right after "password:" while the login stages are still open.
    {"TalkCutAfterThePromptWords",
     {"login: ", greeting, {cutTalk, 300}, " ?\r\n"},
     "G0ABC\r\n",
     DxcLink::AwaitPrompt},
    // Talk soon after the greeting is one step with it, however long the two take together: the
    // node is quiet only once the talk's last piece is in.
    {"TalkCutAfterThePromptWordsSoonAfterTheGreeting",
     {"login: ", {greeting, 800}, {cutTalk, 600}, " ?\r\n"},
     "G0ABC\r\n",
     DxcLink::AwaitMenu},
    {"TalkCutAfterThePromptWordsFiveSecondsAfterTheGreeting",
     {"login: ", {greeting, 5000}, {cutTalk, 300}, " ?\r\n"},
     "G0ABC\r\n",
     DxcLink::AwaitPrompt},
    // The cluster prompt cut inside, its first part shown while the node paused: the login is
    // done, and "DXC" is no command for a node that shows its prompt.
    {"ClusterPromptCutWithAPauseAfterThePassword",
     {"login: ", "password: ", {greeting + "G0ABC d", 800}, "e GB7XX  6-Dec-2026 2200Z >\r\n"},
     "G0ABC\r\ns3cret\r\n"},
    // After the password the node's text is one step up to a quiet moment, however the network
    // cut it: its prompt at the end is seen before anything is judged.
    {"GreetingAndMotdInSegmentsAfterThePassword", motdInSegments(), "G0ABC\r\ns3cret\r\n"},
    // A node whose menu holds "DXC," gets "DXC", wherever the network cut the menu.
    {"MenuInSegmentsAfterThePassword",
     {"login: ",
      "password: ",
      {"Connected to GB7DXC\r\n", 20},
      {"Menu: BBS, CONV, DXC, NODES\r\n", 20},
      "=> "},
     "G0ABC\r\ns3cret\r\nDXC\r\n"},
    {"MenuCutWithAPauseAfterThePassword",
     {"login: ", "password: ", {"Connected. Menu: BBS, CONV, D", 800}, "XC, NODES\r\n=> "},
     "G0ABC\r\ns3cret\r\nDXC\r\n"},
    // The password prompt cut after its first letter, once greeting lines have moved the login
    // to the stage that asks for the cluster: the first letter is no text that asks nothing.
    {"PasswordPromptCutAfterItsFirstLetter",
     {"login: ", {greeting, 1500}, {"Cluster: 312 nodes, 4000 users\r\n", 1500}, {"P", 1500}, "assword: "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    // The reconnect tick's empty line would answer a prompt that waits for the login's own
    // answer; it goes once the login is done.
    {"IdleLineAtTheLoginPrompt", {{"login: ", 0}}, "G0ABC\r\n", DxcLink::CallSent, 0},
    {"IdleLineAtThePasswordPrompt",
     {"login: ", {"password: ", 0}},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu,
     1},
    {"IdleLineBeforeTheClusterPrompt",
     {"login: ", "password: ", "G0ABC de GB7TST >\r\n"},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::Idle,
     1},
    {"IdleLineOnceLoggedIn", {"login: ", "G0ABC de GB7TST >\r\n"}, "G0ABC\r\n\r\n", DxcLink::Idle, 1},
    // A node that pauses for seconds inside its greeting: each step that asked nothing is no
    // answer, and what follows is answered as the prompt it is.
    {"LinesWithPausesThenThePasswordPrompt",
     {"login: ", {greeting, 1500}, {"Checking G0ABC\r\n", 1500}, {"Please wait\r\n", 1500}, "password: "},
     "G0ABC\r\ns3cret\r\n",
     DxcLink::AwaitMenu},
    {"LinesWithPausesThenTheClusterPrompt",
     {"login: ",
      "password: ",
      {greeting, 2000},
      {"Cluster: 312 nodes, 4000 users\r\n", 2000},
      {"Please keep announcements short\r\n", 4500},
      "G0ABC de GB7XX  6-Dec-2026 2200Z >\r\n"},
     "G0ABC\r\ns3cret\r\n"},
    // A menu ending in what may begin the password prompt is judged as it stands once the node
    // has settled.
    {"MenuEndingInThePasswordPromptsFirstLetter",
     {"login: ", "password: ", "Connected. Menu: BBS, CONV, DXC, INFO, BYE, HELP"},
     "G0ABC\r\ns3cret\r\nDXC\r\n"},
    // Text that goes on and on, each piece ending in the prompt words, is talk until it stops.
    {"TalkEndingInThePromptWordsPieceAfterPiece",
     {"login: ", {"<g4xyz>: password:", 500}, {" password:", 500}, {" password:", 500}, " ?\r\n"},
     "G0ABC\r\n",
     DxcLink::AwaitMenu},
};

TEST_P(DxcLogin, AnswersEachPromptOnce)
{
    logIn(GetParam());
}

INSTANTIATE_TEST_SUITE_P(DxcLink, DxcLogin, ::testing::ValuesIn(logins),
                         [](const auto& info) { return std::string(info.param.name); });

// A node that asks nothing more after the password gets "DXC" within a few seconds of its last
// text.
TEST_F(DxcFixture, ANodeThatAsksNothingMoreGetsDxcWithinAFewSeconds)
{
    connectLink();
    ASSERT_TRUE(node.play("login: ", link));
    ASSERT_TRUE(node.play("password: ", link));
    ASSERT_TRUE(node.play(greeting, link));
    QElapsedTimer clock;
    clock.start();
    node.sendQuickly("Type HELP for help\r\n");
    EXPECT_EQ(node.received("G0ABC\r\ns3cret\r\nDXC\r\n"), "G0ABC\r\ns3cret\r\nDXC\r\n");
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
}

TEST_F(DxcFixture, WithoutAutoLoginNothingIsSent)
{
    autoClx = false;
    logIn({"", {"login: ", "Password: "}, "", DxcLink::CallSent});
    // The node waited for an answer after each prompt, so each was shown on its own.
    EXPECT_EQ(received(), (QStringList{"login: ", "Password: "}));
}

// A DX Spider node: "login: " without a line end, then its greeting and prompt in one piece, then spots.
const QByteArray spiderHello = "Hello M0ZZZ, this is GB7TST in Testland running DXSpider V1.57\r\n";
const QByteArray spiderUsers = "Cluster: 312 nodes, 12 local / 4000 total users  Max users 5000\r\n";
const QByteArray spiderGreeting = spiderHello + spiderUsers;
const QByteArray spiderPrompt = "M0ZZZ de GB7TST  6-Dec-2026 2330Z dxspider >";
const QByteArray spots[] = {
    "DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\a\a\r\n",
    "DX de PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n",
    "DX de SM5ABC:    50120.0  OH6DEF       AU   JO89<AU>KP32              1835Z\a\a\r\n",
};

Login spider(const char* name, const QList<Piece>& replies, const QByteArray& sent = "M0ZZZ\r\n")
{
    return {name, QList<Piece>{"login: "} + replies + QList<Piece>(std::begin(spots), std::end(spots)), sent};
}

const Login spiderLogins[] = {
    spider("PromptWithoutLineEnd", {spiderGreeting + spiderPrompt}),
    spider("WithPassword", {"password: ", spiderGreeting + spiderPrompt + "\r\n"}, "M0ZZZ\r\ns3cret\r\n"),
    spider("LineByLine", {spiderHello, spiderUsers, spiderPrompt + "\r\n"}),
};

// Text of other users, or a node asking again: never answered once logged in.
const Login baits[] = {
    {"Talk", {"M0ZZZ de G4XXX: what is your password:\r\n"}, "M0ZZZ\r\n"},
    {"BareLine", {"Password:\r\n"}, "M0ZZZ\r\n"},
    {"BarePrompt", {"Password: "}, "M0ZZZ\r\n"},
    {"LastLineOfAChunk", {spots[0] + "Please enter your password : "}, "M0ZZZ\r\n"},
};

struct DxSpider : DxcLogin
{
    DxSpider() { current.strDxcCallsign = "M0ZZZ"; }
};
struct PasswordBait : DxSpider
{
};

TEST_P(DxSpider, LoginEndsAtTheClusterPrompt)
{
    logIn(GetParam());
}

INSTANTIATE_TEST_SUITE_P(DxcLink, DxSpider, ::testing::ValuesIn(spiderLogins),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(PasswordBait, IsNotAnsweredAfterTheLogin)
{
    Login login = spiderLogins[2];
    login.pieces << GetParam().pieces;
    logIn(login);
}

INSTANTIATE_TEST_SUITE_P(DxcLink, PasswordBait, ::testing::ValuesIn(baits),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_F(DxcFixture, AssemblesLinesRemovesThreeDotsAndPassesUnfinishedTextOnAfterAPause)
{
    autoClx = false;
    connectLink();
    node.send("DX de G0ABC:     50313.0  CT7ZZZ ...");
    node.send("FT8 Es.. IN50 2110Z\a\a\r\nDX de");
    node.send(" PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n");
    node.send("G0ABC de GB7XX >");
    const QStringList whole{
        "DX de G0ABC:     50313.0  CT7ZZZ FT8 Es.. IN50 2110Z\a\a\r\n",
        "DX de PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n",
    };
    EXPECT_EQ(received(), whole);
    ASSERT_TRUE(lines.wait(2000));
    EXPECT_EQ(received(), whole + QStringList{"G0ABC de GB7XX >"});
}

TEST_F(DxcFixture, DisconnectSaysGoodbyeAndCloses)
{
    connectLink();
    link.DXC_DISCONNECT();
    EXPECT_EQ(node.received("bye\r\nq\r\n"), "bye\r\nq\r\n");
    EXPECT_TRUE(node.closedByClient());
    EXPECT_EQ(link.intDxcLoginStage, DxcLink::Idle);
}

TEST_F(DxcFixture, NoNodeOrAPortOutsideTheTcpRangeIsRefusedWithAClearStatus)
{
    linkError = 0;
    current.sngDxcPort = 70000;
    link.DXC_CONNECT();
    // The connect follows the goodbye to a node that may still be there.
    EXPECT_EVENTUALLY(!link.sequence().busy(), 5000);
    EXPECT_EQ(captions.last().at(0).toString(),
              "Zenthra calcs from DXC. DXC STATUS: port 70000 is not a TCP port (1-65535), check the node");
    EXPECT_EQ(link.WinsockDXC.state(), 0);
    EXPECT_EQ(linkError, 0);

    current.strDxcHost.clear();
    link.DXC_CONNECT();
    EXPECT_EVENTUALLY(!link.sequence().busy(), 5000);
    EXPECT_EQ(captions.last().at(0).toString(),
              "Zenthra calcs from DXC. DXC STATUS: no node chosen, pick one in DXC > Edit Available DXC's");
}
