#include "core/current_node.h"
#include "links/chat_links.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"

#include "support/eventually.h"
#include <QSignalSpy>

#include <QTest>
#include <gtest/gtest.h>

using zenthra::BbsLink;
using zenthra::CurrentNode;
using zenthra::TelnetLink;
using zenthra::WwcLink;
using zenthra::test::FakeNode;

namespace {

// What a node sends piece by piece, and what the program sends back in all.
struct Dialogue
{
    const char* name;
    QList<QByteArray> pieces;
    QByteArray sent;
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
        for (const QByteArray& piece : d.pieces) {
            EXPECT_TRUE(chat ? node.sendAwaited(piece, link) : node.sendAwaited(piece, bbs));
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
    {"CallAndPasswordPromptInOneRead", {"login: \r\npassword: "}, "G4ABC\r\npw7\r\npw7\r\n"},
    // The welcome ends the automatic login; only a bare prompt line starts it again.
    {"WelcomeFirstThenPromptInTheText", {"Welcome\r\n", "Your login: "}, ""},
    {"WelcomeFirstThenBarePrompt", {"Welcome\r\n", "login:\r\n"}, "G4ABC\r\n"},
    {"NodeMenuGetsConvThenTheJoin",
     {"Welcome\r\n", "GB7XX:  BBS,CONV,DXC,NODES\r\n"},
     "CONV\r\n/n G4ABC 144\r\n"},
    {"ChatSelection", {"Welcome\r\n", "1 = Convers\r\nChat selection ?\r\n"}, "/n G4ABC 144\r\n"},
    {"UserDetails", {"Welcome\r\n", "Please set /u callsign name\r\n"}, "/U G4ABC 144345\r\n"},
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

// A node's prompt ends what it sent; the same words in a line are someone's talk. The bait comes
// after a quiet spell, as another user's line does.
struct Bait
{
    const char* name;
    bool chat;
    QList<QByteArray> pieces;
    QByteArray sent;
};

void PrintTo(const Bait& b, std::ostream* os)
{
    *os << b.name;
}

const QByteArray talk = "<g4xyz>: m0abc, what is the club password: ?\n";
const QByteArray packetGreeting = "Welcome M0ABC. node> ";

const Bait baits[] = {
    {"ChatAfterAPacketNodeGreeting", true, {"login: ", packetGreeting, talk}, "M0ABC\r\n"},
    {"ChatRightAfterTheCall", true, {"login: ", talk}, "M0ABC\r\n"},
    {"BbsAfterAPacketNodeGreeting", false, {"login: ", packetGreeting, talk}, "M0ABC\r\nc gb7xyz\r\nbbs\r\n"},
    {"BbsRightAfterTheCall", false, {"login: ", talk}, "M0ABC\r\nc gb7xyz\r\nbbs\r\n"},
};

struct ChatPasswordBait : LinkFixture, ::testing::WithParamInterface<Bait>
{
};

TEST_P(ChatPasswordBait, NeverDrawsThePasswordOut)
{
    const Bait& b = GetParam();
    current.strWwcCallsign = current.strBbsCallsign = "M0ABC";
    b.chat ? link.WWC_CONNECT() : bbs.BBS_CONNECT();
    ASSERT_TRUE(node.accept());
    QTest::qWait(50);
    for (qsizetype i = 0; i < b.pieces.size(); ++i) {
        if (i == b.pieces.size() - 1) {
            QTest::qWait(600);
        }
        EXPECT_TRUE(b.chat ? node.sendAwaited(b.pieces[i], link) : node.sendAwaited(b.pieces[i], bbs));
    }
    EXPECT_EQ(node.receivedWithin(700), b.sent);
    EXPECT_EQ(link.intWwcLoginStage, WwcLink::Idle);
    EXPECT_EQ(bbs.intBbsLoginStage, BbsLink::Idle);
}

INSTANTIATE_TEST_SUITE_P(ChatLinks, ChatPasswordBait, ::testing::ValuesIn(baits),
                         [](const auto& info) { return std::string(info.param.name); });

// A password prompt cut in two by the network still gets its answer.
TEST_F(LinkFixture, APasswordPromptCutInTwoIsAnswered)
{
    play({"",
          {"login: ", "Pass", "word: ", "Type /n <your call> <channel> to log on\r\n"},
          "G4ABC\r\npw7\r\npw7\r\n/n G4ABC 144\r\n"});
}

// What arrives while a link pauses is its next read, however many network pieces it came in:
// one pause for the whole burst, and the join prompt at its end is answered right after.
struct Burst
{
    const char* name;
    bool chat;
    QByteArray reply;
};

void PrintTo(const Burst& b, std::ostream* os)
{
    *os << b.name;
}

struct BurstFixture : LinkFixture, ::testing::WithParamInterface<Burst>
{
};

TEST_P(BurstFixture, IsTakenInWithOneRead)
{
    const Burst& b = GetParam();
    TelnetLink& target = b.chat ? static_cast<TelnetLink&>(link) : static_cast<TelnetLink&>(bbs);
    int shown = 0;
    const auto count = [&shown](const QString&) { ++shown; };
    b.chat ? QObject::connect(&link, &WwcLink::lineReceived, count)
           : QObject::connect(&bbs, &BbsLink::lineReceived, count);
    b.chat ? link.WWC_CONNECT() : bbs.BBS_CONNECT();
    ASSERT_TRUE(node.accept());
    ASSERT_TRUE(node.sendAwaited("Welcome\r\n", target));
    QSignalSpy pauses(&target.sequence(), &zenthra::LinkSequence::pauseStarted);
    QSignalSpy reads(&target.socket(), &zenthra::TelnetSocket::dataArrival);
    // The burst arrives while the link is still busy with what came before.
    target.sequence().pause(1000);
    for (int i = 0; i < 300; ++i) {
        node.sendQuickly("<G0XYZ>: line " + QByteArray::number(i) + "\r\n");
    }
    node.sendQuickly("Type /n <your call> <channel> to log on\r\n");
    EXPECT_EQ(node.received(b.reply), b.reply);
    EXPECT_EVENTUALLY_EQ(shown, 1 + 301, 5000);
    ASSERT_GT(reads.count(), 2) << "the burst came in too few network pieces to tell";
    QList<int> taken;
    for (const auto& args : pauses) {
        taken << args.at(0).toInt();
    }
    EXPECT_EQ(taken, (QList<int>{1000, b.chat ? WwcLink::receivePause : BbsLink::receivePause}));
}

const Burst bursts[] = {
    {"Chat", true, "/n G4ABC 144\r\n"},
    {"Bbs", false, ""},
};

INSTANTIATE_TEST_SUITE_P(ChatLinks, BurstFixture, ::testing::ValuesIn(bursts),
                         [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(zenthra::shownLine("<G0XYZ>: hello\r\n"), "<G0XYZ>: hello");
    EXPECT_EQ(zenthra::shownLine("a\aB\n"), "a\r\nB");
    EXPECT_EQ(zenthra::shownLine("a     b"), "a   b");
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

TEST_F(LinkFixture, ABbsPasswordPromptCutInTwoIsAnswered)
{
    play({"",
          {"Callsign : ", "Pass", "word : ", fbbGreeting},
          "G4ABC\r\nfbbpw\r\nfbbpw\r\nc gb7xyz\r\nbbs\r\n"},
         false);
}

} // namespace
