#include "core/current_node.h"
#include "links/chat_links.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::BbsLink;
using zenthra::CurrentNode;
using zenthra::WwcLink;
using zenthra::test::FakeNode;
using zenthra::test::Piece;
using namespace Qt::Literals::StringLiterals;

namespace {

// What a node sends piece by piece, what the program sends back in all, and the piece after which
// the reconnect tick asks for its idle line, if it does.
struct Dialogue
{
    const char* name;
    QList<Piece> pieces;
    QByteArray sent;
    qsizetype tickAfter = -1;
};

void PrintTo(const Dialogue& d, std::ostream* os)
{
    *os << d.name;
}

// A chat link and a BBS link with the same login, both pointed at one node on loopback.
struct LinkFixture : ::testing::Test
{
    FakeNode node;
    CurrentNode current;
    qint16 linkError = 0;
    WwcLink link{current, linkError};
    BbsLink bbs{current};
    QSignalSpy lines{&link, &WwcLink::lineReceived};
    QSignalSpy refusals{&bbs, &BbsLink::refused};

    LinkFixture()
    {
        current.strWwcHost = current.strBbsHost = "127.0.0.1";
        current.sngWwcPort = current.sngBbsPort = node.port();
        current.strWwcCallsign = current.strBbsCallsign = "G4ABC";
        current.strWwcPassword = "pw7";
        current.strWwcConnectStr = "/n G4ABC 144";
        current.strBbsPassword = "fbbpw";
        current.strBbsConnectStr = "c gb7xyz#bbs";
    }
    // The node sends its pieces one by one; the program must have sent exactly `d.sent`, and no more.
    void play(const Dialogue& d, bool chat = true)
    {
        chat ? link.WWC_CONNECT() : bbs.BBS_CONNECT();
        ASSERT_TRUE(node.accept());
        const zenthra::TelnetSocket& socket = chat ? link.socket() : bbs.socket();
        EXPECT_EVENTUALLY_EQ(socket.state(), int(zenthra::TelnetSocket::Connected), 5000);
        for (qsizetype i = 0; i < d.pieces.size(); ++i) {
            EXPECT_TRUE(chat ? node.play(d.pieces[i], link) : node.play(d.pieces[i], bbs));
            if (i == d.tickAfter) {
                link.sendIdleLine("/msg " + current.strWwcCallsign);
            }
        }
        EXPECT_EQ(node.received(d.sent), d.sent);
        EXPECT_EQ(node.receivedWithin(700), d.sent);
    }
    QStringList received() const
    {
        QStringList out;
        for (const auto& args : lines) {
            out << args.at(0).toString();
        }
        return out;
    }
};

struct WwcLogin : LinkFixture, ::testing::WithParamInterface<Dialogue>
{
};

// Another user's line: "password:" inside a line is talk, never a node's prompt.
const QByteArray talk = "<g4xyz>: g4abc, what is the club password: ?\n";

const Dialogue wwcDialogues[] = {
    {"CallPasswordTwiceThenJoin",
     {"Welcome to the TEST convers node\r\nlogin: ", "Password: ",
      "Type /n <your call> <channel> to log on\r\n"},
     "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"},
    {"NodeWithoutPassword",
     {"login: ", "Please login with /n callsign channel\r\n"},
     "G4ABC\r\n/n G4ABC 144\r\n"},
    {"PromptCutByTheNetwork", {"Call", "sign : "}, "G4ABC\r\n"},
    {"GreetingCutByTheNetwork", {"Welcome to the TEST con", "vers node\r\nlogin: "}, "G4ABC\r\n"},
    {"PasswordPromptCutByTheNetwork",
     {"login: ", {"Pass", 100}, "word: ", "Type /n <your call> <channel> to log on\r\n"},
     "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"},
    {"CallAndPasswordPromptInOneRead", {"login: \r\npassword: "}, "G4ABC\r\npw7\r\npw7\r\n"},
    {"TalkAfterAPacketNodeGreeting", {"login: ", "Welcome G4ABC. node> ", talk}, "G4ABC\r\n"},
    {"TalkRightAfterTheCall", {"login: ", talk}, "G4ABC\r\n"},
    // The greeting and the prompt are read together up to a quiet moment, however the node wrote
    // them, and a prompt's blank that comes late is still the same prompt.
    {"BannerThenLoginPromptAsTwoWrites",
     {{"Welcome to the TEST convers node\r\n", 300}, "login: "},
     "G4ABC\r\n"},
    // Join words in a greeting that goes on to ask for the login are no join prompt.
    {"GreetingWithJoinWordsThenLoginPromptAsTwoWrites",
     {{"Welcome! Once logged in, log in using /n callsign channel\r\n", 300}, "login: "},
     "G4ABC\r\n"},
    // A node that pauses for seconds before its prompt: the login waits for it.
    {"GreetingWithJoinWordsThenAPauseBeforeTheLoginPrompt",
     {{"Welcome! Once logged in, log in using /n callsign channel\r\n", 1500}, "login: "},
     "G4ABC\r\n"},
    {"BannerThenAPauseBeforeTheLoginPrompt",
     {{"Welcome to the TEST convers node\r\n", 1600}, "login: "},
     "G4ABC\r\n"},
    {"BannerThenALongPauseBeforeTheLoginPrompt",
     {{"Welcome to the TEST convers node\r\n", 2500}, "login: "},
     "G4ABC\r\n"},
    {"CallCheckedWithAPauseBeforeThePasswordPrompt",
     {"login: ", {"Checking G4ABC\r\n", 2000}, "Password: "},
     "G4ABC\r\npw7\r\npw7\r\n"},
    {"LoginPromptWhoseBlankCameLate",
     {{"login:", 0}, {" ", 300, "G4ABC\r\n"}, "Password: "},
     "G4ABC\r\npw7\r\npw7\r\n"},
    {"PasswordPromptCutAfterItsFirstLetter",
     {"login: ", {"P", 1500}, "assword: "},
     "G4ABC\r\npw7\r\npw7\r\n"},
    // The welcome ends the automatic login once the node has settled after it; only a bare
    // prompt line starts it again, wherever the network cut that line.
    {"WelcomeFirstThenPromptInTheText", {"Welcome\r\n", "Your login: "}, ""},
    {"WelcomeFirstThenBarePrompt", {"Welcome\r\n", "login:\r\n"}, "G4ABC\r\n"},
    {"WelcomeFirstThenBarePromptCut", {"Welcome\r\n", {"log", 100}, "in:\r\n"}, "G4ABC\r\n"},
    {"NodeMenuGetsConvThenTheJoin",
     {"Welcome\r\n", "GB7XX:  BBS,CONV,DXC,NODES\r\n"},
     "CONV\r\n/n G4ABC 144\r\n"},
    {"ChatSelection", {"Welcome\r\n", "1 = Convers\r\nChat selection ?\r\n"}, "/n G4ABC 144\r\n"},
    {"UserDetails", {"Welcome\r\n", "Please set /u callsign name\r\n"}, "/U G4ABC 144345\r\n"},
    // Prompts on a line of their own, ended by CR or CR LF.
    {"LoginPromptLineFirst", {"login:\r\n", "Password:\r\n"}, "G4ABC\r\npw7\r\npw7\r\n"},
    {"PasswordPromptEndedByCr", {"login: ", "Password :\r"}, "G4ABC\r\npw7\r\npw7\r\n"},
    // A telnet node sends a bare CR as CR NUL, and NUL means nothing; the NUL may come in a later read.
    {"PromptsFollowedByNul", {"login:\r\0"_ba, "Password : \0"_ba}, "G4ABC\r\npw7\r\npw7\r\n"},
    {"NulOfCrNulInALaterRead",
     {"login: \0"_ba, {"Password:\r", 100}, {"\0"_ba, 0}},
     "G4ABC\r\npw7\r\npw7\r\n"},
    // A node that asks for the call again refused it: that is no password prompt.
    {"LoginAskedAgainAfterTheCall", {"login: ", "login: "}, "G4ABC\r\n"},
    // A prompt the network cut in two, with a pause between the parts.
    {"PasswordPromptCutWithAPause",
     {"login: ", {"Pass", 900}, "word: ", "Type /n <your call> <channel> to log on\r\n"},
     "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"},
    {"PasswordPromptCutWithALongPause", {"login: ", {"Pass", 2500}, "word: "}, "G4ABC\r\npw7\r\npw7\r\n"},
    // The greeting right after the call and talk cut right after "password:", which the receive
    // pause joins into one read.
    {"TalkCutAfterThePromptWords",
     {{"login: ", 0},
      {"Welcome G4ABC\r\n", 20, "G4ABC\r\n"},
      {"<g4xyz>: g4abc, what is the club password:", 300},
      " ?\n"},
     "G4ABC\r\n"},
    // Talk after the node's join prompt: the join is answered once the talk goes on.
    {"JoinPromptThenTalkCutAfterThePromptWords",
     {"login: ",
      {"Type /n <your call> <channel> to log on\r\n<g4xyz>: what is the password:", 300},
      " ?\r\n"},
     "G4ABC\r\n/n G4ABC 144\r\n"},
    // The join prompt cut inside, its first part shown while the node paused.
    {"JoinPromptCutWithAPause",
     {"login: ", "Password: ", {"Type /n <ca", 800}, "ll> [channel] to log on\r\n"},
     "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"},
    {"JoinPromptCutWithALongPause",
     {"login: ", "Password: ", {"Type /n <ca", 2500}, "ll> [channel] to log on\r\n"},
     "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"},
    // The reconnect tick's idle line would answer a prompt that waits for the login's own
    // answer; it goes once the login is done.
    {"IdleLineAtTheLoginPrompt", {{"login: ", 0}}, "G4ABC\r\n", 0},
    {"IdleLineAtThePasswordPrompt", {"login: ", {"Password: ", 0}}, "G4ABC\r\npw7\r\npw7\r\n", 1},
    {"IdleLineOnceJoined",
     {"login: ", "Type /n <your call> <channel> to log on\r\n"},
     "G4ABC\r\n/n G4ABC 144\r\n/msg G4ABC\r\n",
     1},
    // Once logged in, other users' text never draws the password or the call out.
    {"PasswordBaitAfterTheLogin",
     {"login: ", "Type /n <your call> <channel> to log on\r\n", "<G0BAD>: password: \r\n",
      "<G0BAD>: login: \r\n"},
     "G4ABC\r\n/n G4ABC 144\r\n"},
};

TEST_P(WwcLogin, SendsTheseBytesInOrder)
{
    play(GetParam());
}

INSTANTIATE_TEST_SUITE_P(WwcLink, WwcLogin, ::testing::ValuesIn(wwcDialogues),
                         [](const auto& info) { return std::string(info.param.name); });

// What arrives while the link pauses is its next read, however many network pieces it came in:
// one pause for the whole burst, so the join prompt at its end is answered right after.
TEST_F(LinkFixture, ABurstIsTakenInWithOneRead)
{
    link.WWC_CONNECT();
    ASSERT_TRUE(node.accept());
    ASSERT_TRUE(node.sendAwaited("Welcome\r\n", link));
    QSignalSpy pauses(&link.sequence(), &zenthra::LinkSequence::pauseStarted);
    QSignalSpy reads(&link.socket(), &zenthra::TelnetSocket::dataArrival);
    link.sequence().pause(1000); // the link is still busy when the burst comes
    for (int i = 0; i < 300; ++i) {
        node.sendQuickly("<G0XYZ>: line " + QByteArray::number(i) + "\r\n");
    }
    node.sendQuickly("Type /n <your call> <channel> to log on\r\n");
    EXPECT_EQ(node.received("/n G4ABC 144\r\n"), "/n G4ABC 144\r\n");
    ASSERT_GT(reads.count(), 2) << "the burst came in too few network pieces to tell";
    ASSERT_EQ(pauses.count(), 2); // ours, then the link's one for the burst
    EXPECT_EQ(pauses[1][0].toInt(), WwcLink::receivePause);
}

TEST_F(LinkFixture, ChannelOperatorNoticeDrawsNoReplyAndIsStillShownLineByLine)
{
    // The join prompt in the same chunk draws no reply either.
    play({"",
          {"Welcome\r\n",
           "*** G4ABC made you a channel operator for channel 0\r\nAccess to channel 0 has been removed\r\n"
           "<G0XYZ>: hel",
           "lo\r\n"},
          ""});
    EXPECT_EQ(received(),
              (QStringList{"Welcome\r\n", "*** G4ABC made you a channel operator for channel 0\r\n",
                           "Access to channel 0 has been removed\r\n", "<G0XYZ>: hello\r\n"}));
}

TEST_F(LinkFixture, PromptWithoutLineEndIsShownAfterAPause)
{
    play({"", {"Welcome\r\nlogin: "}, "G4ABC\r\n"});
    for (int i = 0; i < 20 && lines.count() < 2; ++i) {
        lines.wait(100);
    }
    EXPECT_EQ(received(), (QStringList{"Welcome\r\n", "login: "}));
}

TEST(ShownLine, OneLineBreakPerLineBellsBreakAndDoubleBlanksHalve)
{
    const auto shown = [](const char* line) {
        char16_t open = 0;
        return zenthra::shownLine(QString::fromLatin1(line), open).value_or(QString());
    };
    EXPECT_EQ(shown("<G0XYZ>: hello\r\n"), "<G0XYZ>: hello");
    EXPECT_EQ(shown("a\aB\n"), "a\r\nB");
    EXPECT_EQ(shown("a     b"), "a   b");
    EXPECT_EQ(shown("a\rb"), "a\r\nb");
}

// --- BBS: a node that answers as an FBB BBS does on its telnet port.

const QByteArray fbbGreeting =
    "[FBB-7.0.11-AB1FHMRX$]\r\nHello G4ABC, welcome to GB7TST BBS\r\nGB7TST BBS>\r\n";

TEST_F(LinkFixture, FbbLoginThenEachCommandOfTheConnectionString)
{
    play({"",
          {"\r\nGB7TST BBS telnet\r\nCallsign : ", "Password : ", fbbGreeting},
          "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
         false);
}

TEST_F(LinkFixture, ThePlaceholderCallIsRefused)
{
    current.strBbsConnectStr = "c gb7xyz#yourcallsign";
    bbs.BBS_CONNECT();
    ASSERT_TRUE(node.accept());
    node.send("Callsign : ");
    EXPECT_TRUE(node.closedByClient());
    EXPECT_EQ(node.receivedWithin(0), "");
    ASSERT_EQ(refusals.count(), 1);
    EXPECT_EQ(refusals.at(0).at(0).toString(), QString::fromLatin1(BbsLink::refusal));
}

// A node without password gets the string after its greeting, and a later prompt draws nothing.
TEST_F(LinkFixture, ThePlaceholderInCapitalsIsNoPlaceholder)
{
    current.strBbsConnectStr = "c YOURCALLSIGN";
    play({"", {"Callsign : ", fbbGreeting, "Callsign : "}, "G4ABC\r\nc YOURCALLSIGN\r\n"}, false);
    EXPECT_EQ(refusals.count(), 0);
}

// A new connection during a login: what the node before sent (a prompt cut by the drop) is not
// read together with the new node's first text.
TEST_F(LinkFixture, AReconnectForgetsTheTextOfTheNodeBefore)
{
    play({"", {"Callsign : ", {"Pass", 100}}, "G4ABC\r\n"}, false);
    FakeNode next;
    current.sngBbsPort = next.port();
    bbs.BBS_CONNECT();
    ASSERT_TRUE(next.accept());
    EXPECT_TRUE(next.play("login:\r\n", bbs));
    EXPECT_EQ(next.received("G4ABC\r\n"), "G4ABC\r\n");
}

struct BbsLogin : WwcLogin
{
};

const Dialogue bbsDialogues[] = {
    {"PasswordPromptCutByTheNetwork",
     {"Callsign : ", {"Pass", 100}, "word : ", fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    {"TalkRightAfterTheCall", {"login: ", talk}, "G4ABC\r\nc gb7xyz\r\nbbs\r\n"},
    // A packet node's relay port and mail-style prompts: each on a line of its own.
    {"RelayPortPrompts",
     {"\r\rCallsign :\r", "Password :\r", fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    {"LoginPromptLine", {"login:\r\n", fbbGreeting}, "G4ABC\r\nc gb7xyz\r\nbbs\r\n"},
    {"PromptsFollowedByNul",
     {"login:\r\0"_ba, "Password : \0"_ba, fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    {"NulOfCrNulInALaterRead",
     {"login: \0"_ba, {"Password:\r", 100}, {"\0"_ba, 0}},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\n"},
    // The password prompt a while after a greeting line.
    {"GreetingThenPasswordPrompt",
     {"Callsign : ", {"Welcome to GB7TST\r\n", 600}, "Password : "},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\n"},
    {"PasswordPromptCutWithAPause",
     {"Callsign : ", {"Pass", 700}, "word : ", fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    {"PasswordPromptCutWithALongPause",
     {"Callsign : ", {"Pass", 2500}, "word : ", fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    // A node that checks the call for seconds before it asks for the password.
    {"CallCheckedWithAPauseBeforeThePasswordPrompt",
     {"Callsign : ", {"Checking G4ABC\r\n", 1500}, "Password : ", fbbGreeting},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
    {"CallCheckedWithALongPauseBeforeThePasswordPrompt",
     {"Callsign : ", {"Checking G4ABC", 2500}, "Password : "},
     "G4ABC\r\nfbbpw\r\nfbbpw\r\n"},
    // A greeting ending in what may begin the password prompt is judged as it stands once the
    // node has settled.
    {"GreetingEndingInThePasswordPromptsFirstLetters",
     {"Callsign : ", "Welcome to GB7TST. Commands: BBS, NODES, MAP"},
     "G4ABC\r\nc gb7xyz\r\nbbs\r\n"},
    // Talk cut right after "password:" draws the connection string, not the password.
    {"TalkCutAfterThePromptWords",
     {"login: ", {"G4ABC de G4XYZ: what is the club password:", 300}, " ?\r\n"},
     "G4ABC\r\nc gb7xyz\r\nbbs\r\n"},
};

TEST_P(BbsLogin, SendsTheseBytesInOrder)
{
    play(GetParam(), false);
}

INSTANTIATE_TEST_SUITE_P(BbsLink, BbsLogin, ::testing::ValuesIn(bbsDialogues),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
