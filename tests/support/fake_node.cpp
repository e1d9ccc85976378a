#include "support/fake_node.h"

#include "links/telnet_link.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

namespace zenthra::test {

FakeNode::FakeNode()
{
    m_server.listen(QHostAddress::LocalHost);
}

bool FakeNode::accept()
{
    (void)QTest::qWaitFor([this] { return m_server.hasPendingConnections(); }, 5000);
    m_peer = m_server.nextPendingConnection();
    return m_peer != nullptr;
}

bool FakeNode::connected() const
{
    return m_peer != nullptr && m_peer->state() == QAbstractSocket::ConnectedState;
}

void FakeNode::send(const QByteArray& bytes)
{
    m_peer->write(bytes);
    m_peer->flush();
    QTest::qWait(30);
}

bool FakeNode::sendAwaited(const QByteArray& bytes, TelnetLink& link)
{
    QSignalSpy reads(&link.socket(), &TelnetSocket::dataArrival);
    m_peer->write(bytes);
    m_peer->flush();
    return QTest::qWaitFor([&] { return !reads.isEmpty() && !link.busy() && !link.awaitingQuiet(); }, 10000);
}

void FakeNode::sendThenWait(const QByteArray& bytes, int ms)
{
    m_peer->write(bytes);
    m_peer->flush();
    QTest::qWait(ms);
}

bool FakeNode::play(const Piece& piece, TelnetLink& link)
{
    if (!piece.afterSent.isEmpty() && !QTest::qWaitFor(
                                          [&] {
                                              drain();
                                              return m_got.endsWith(piece.afterSent);
                                          },
                                          10000)) {
        return false;
    }
    if (piece.thenMs < 0) {
        return sendAwaited(piece.bytes, link);
    }
    sendThenWait(piece.bytes, piece.thenMs);
    return true;
}

void FakeNode::sendQuickly(const QByteArray& bytes)
{
    m_peer->write(bytes);
    m_peer->flush();
    QCoreApplication::processEvents();
}

void FakeNode::hangUp()
{
    m_peer->disconnectFromHost();
}

void FakeNode::drain()
{
    if (m_peer != nullptr) {
        m_got += m_peer->readAll();
    }
}

QByteArray FakeNode::received(const QByteArray& expected)
{
    (void)QTest::qWaitFor(
        [&] {
            drain();
            return m_got == expected;
        },
        10000);
    return m_got;
}

QByteArray FakeNode::receivedWithin(int ms)
{
    QTest::qWait(ms);
    drain();
    return m_got;
}

bool FakeNode::closedByClient()
{
    (void)QTest::qWaitFor(
        [this] { return m_peer == nullptr || m_peer->state() != QAbstractSocket::ConnectedState; }, 5000);
    return m_peer != nullptr && m_peer->state() != QAbstractSocket::ConnectedState;
}

} // namespace zenthra::test
