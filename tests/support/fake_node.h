#pragma once
// A node on loopback for link tests: the test decides every byte it sends and how the bytes
// are split, and reads back exactly what the program sent.

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

namespace zenthra {
class TelnetLink;
}

namespace zenthra::test {

class FakeNode
{
public:
    FakeNode();
    quint16 port() const { return m_server.serverPort(); }
    // Waits for the program to connect; false after 5 s without a connection.
    bool accept();
    bool connected() const;
    // Sends one piece and lets it reach the program before the next.
    void send(const QByteArray& bytes);
    // Sends one piece and waits until the link has read it and done all it does about it, as a
    // node in a dialogue does; false after 5 s.
    bool sendAwaited(const QByteArray& bytes, TelnetLink& link);
    // Sends one piece without waiting: the program reads it as soon as the event loop turns.
    void sendQuickly(const QByteArray& bytes);
    void hangUp();
    // What the program has sent, once it holds `expected` or 5 s have passed.
    QByteArray received(const QByteArray& expected);
    // What the program has sent within the next `ms` milliseconds.
    QByteArray receivedWithin(int ms);
    // True once the program has closed the connection (waits up to 5 s).
    bool closedByClient();

private:
    void drain();
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QByteArray m_got;
};

} // namespace zenthra::test
