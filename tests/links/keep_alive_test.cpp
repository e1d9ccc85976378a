// The reconnect tick's idle line on the DXC and chat links, against a node on loopback: it goes
// once the login is done, never while a prompt waits for the login's own answer.

#include "core/current_node.h"
#include "links/chat_links.h"
#include "links/dxc_link.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"

#include <QTest>
#include <gtest/gtest.h>

using zenthra::CurrentNode;
using zenthra::DxcLink;
using zenthra::TelnetLink;
using zenthra::WwcLink;
using zenthra::test::FakeNode;
using zenthra::test::Piece;

namespace {

// What the node sends before the tick and after it, the idle line the tick asks for, and what
// the program sends in all.
struct Tick
{
    const char* name;
    bool chat;
    QList<Piece> before;
    QString idle;
    QList<Piece> after;
    QByteArray sent;
};

void PrintTo(const Tick& tick, std::ostream* os)
{
    *os << tick.name;
}

const Tick ticks[] = {
    // The login prompt waits for the call, the password prompt for the password.
    {"DxcAtTheLoginPrompt", false, {{"login: ", 0}}, {}, {}, "G0ABC\r\n"},
    {"DxcAtThePasswordPrompt", false, {"login: ", {"password: ", 0}}, {}, {}, "G0ABC\r\ns3cret\r\n"},
    // After the password the node's next text decides whether "DXC" is due.
    {"DxcBeforeTheClusterPrompt",
     false,
     {"login: ", "password: "},
     {},
     {"G0ABC de GB7TST  6-Dec-2026 2330Z dxspider >\r\n"},
     "G0ABC\r\ns3cret\r\n"},
    {"DxcLoggedIn", false, {"login: ", "G0ABC de GB7TST >\r\n"}, {}, {}, "G0ABC\r\n\r\n"},
    {"ChatAtTheLoginPrompt", true, {{"login: ", 0}}, "/msg G4ABC", {}, "G4ABC\r\n"},
    {"ChatAtThePasswordPrompt",
     true,
     {"login: ", {"Password: ", 0}},
     "/msg G4ABC",
     {},
     "G4ABC\r\npw7\r\npw7\r\n"},
    {"ChatJoined",
     true,
     {"login: ", "Type /n <your call> <channel> to log on\r\n"},
     "/msg G4ABC",
     {},
     "G4ABC\r\n/n G4ABC 144\r\n/msg G4ABC\r\n"},
};

struct IdleLine : ::testing::TestWithParam<Tick>
{
    FakeNode node;
    CurrentNode current;
    qint16 linkError = 0;
    DxcLink dxc{current, linkError, [] { return true; }};
    WwcLink wwc{current, linkError};

    IdleLine()
    {
        current.strDxcHost = current.strWwcHost = "127.0.0.1";
        current.sngDxcPort = current.sngWwcPort = node.port();
        current.strDxcCallsign = "G0ABC";
        current.strDxcPassword = "s3cret";
        current.strWwcCallsign = "G4ABC";
        current.strWwcPassword = "pw7";
        current.strWwcConnectStr = "/n G4ABC 144";
    }
};

TEST_P(IdleLine, GoesOnlyOnceTheLoginIsDone)
{
    const Tick& tick = GetParam();
    TelnetLink& link = tick.chat ? static_cast<TelnetLink&>(wwc) : dxc;
    tick.chat ? wwc.WWC_CONNECT() : dxc.DXC_CONNECT();
    ASSERT_TRUE(node.accept());
    EXPECT_EVENTUALLY_EQ(link.socket().state(), int(zenthra::TelnetSocket::Connected), 5000);
    for (const Piece& piece : tick.before) {
        EXPECT_TRUE(node.play(piece, link));
    }
    link.sendIdleLine(tick.idle);
    for (const Piece& piece : tick.after) {
        EXPECT_TRUE(node.play(piece, link));
    }
    EXPECT_EQ(node.received(tick.sent), tick.sent);
    EXPECT_EQ(node.receivedWithin(800), tick.sent);
}

INSTANTIATE_TEST_SUITE_P(Links, IdleLine, ::testing::ValuesIn(ticks),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
