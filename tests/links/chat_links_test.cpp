#include "core/current_node.h"
#include "links/chat_links.h"
#include "support/fake_node.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::BbsLink;
using zenthra::CurrentNode;
using zenthra::WwcLink;
using zenthra::test::FakeNode;

namespace {
quint16 deadPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when this returns
}
} // namespace

TEST(WwcLink, LogsOffWithQuitAndBAndAFailureRaisesTheLinkError)
{
    FakeNode node;
    CurrentNode current;
    current.strWwcHost = "127.0.0.1";
    current.sngWwcPort = node.port();
    qint16 linkError = 0;
    WwcLink link(current, linkError);
    QSignalSpy chunks(&link, &WwcLink::lineReceived);
    link.WWC_CONNECT();
    ASSERT_TRUE(node.accept());
    node.send("*** Welcome\r\n");
    ASSERT_TRUE(chunks.count() > 0 || chunks.wait(2000));
    EXPECT_EQ(chunks.at(0).at(0).toString(), "*** Welcome\r\n");
    link.WWC_DISCONNECT();
    EXPECT_EQ(node.received("/quit\r\nb\r\n"), "/quit\r\nb\r\n");
    EXPECT_TRUE(node.closedByClient());

    current.sngWwcPort = deadPort();
    QSignalSpy texts(&link, &WwcLink::windowText);
    link.WWC_CONNECT();
    ASSERT_TRUE(texts.wait(3000));
    EXPECT_TRUE(texts.at(0).at(0).toString().startsWith("Error WinSock (10061) "));
    EXPECT_EQ(linkError, 1);
}

TEST(BbsLink, ReconnectSaysGoodbyeToTheOldNode)
{
    FakeNode first;
    CurrentNode current;
    current.strBbsHost = "127.0.0.1";
    current.sngBbsPort = first.port();
    BbsLink link(current);
    link.BBS_CONNECT();
    ASSERT_TRUE(first.accept());
    current.sngBbsPort = deadPort();
    link.BBS_CONNECT();
    EXPECT_EQ(first.received("bye\r\nq\r\n"), "bye\r\nq\r\n");
}
