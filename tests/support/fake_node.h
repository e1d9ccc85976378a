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

// One piece of a node's text. By default the node then waits until the program has done all it
// does about it, as a node in a dialogue does; with `thenMs` the next piece follows that many
// milliseconds later whatever the program does (the rest of a line of talk, or of a prompt the
// network cut in two). With `afterSent` the piece goes out as soon as what the program has sent
// ends in those bytes, as a node answers.
struct Piece
{
    Piece(const char* text) : bytes(text) {}
    Piece(QByteArray text, int then = -1, QByteArray after = {})
        : bytes(std::move(text)), thenMs(then), afterSent(std::move(after))
    {
    }
    QByteArray bytes;
    int thenMs = -1;
    QByteArray afterSent;
};

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
    // Sends one piece and waits until the link has read it and done all it does about it (a
    // prompt's answer comes once the node has been quiet for a moment), as a node in a dialogue
    // does; false after 10 s (a node that asks nothing is left a few seconds to settle).
    bool sendAwaited(const QByteArray& bytes, TelnetLink& link);
    // Sends one piece and sends nothing more for `ms` milliseconds, whatever the program does.
    void sendThenWait(const QByteArray& bytes, int ms);
    // Sends the piece as it says; false when the program never finished with an awaited one.
    bool play(const Piece& piece, TelnetLink& link);
    // Sends one piece without waiting: the program reads it as soon as the event loop turns.
    void sendQuickly(const QByteArray& bytes);
    void hangUp();
    // What the program has sent, once it holds `expected` or 10 s have passed.
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
