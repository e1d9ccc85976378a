#pragma once
// A convers-style chat node on loopback that answers as such nodes do: a login prompt, an
// optional password prompt, the "/n <your call> <channel>" join prompt, channel texts, and chat
// lines "<CALL>: text" and private messages "<*CALL*>: text" that the test makes other users
// say. Each of its texts goes out in the pieces the test chooses.

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

namespace zenthra::test {

class ConversServer
{
public:
    // The pieces of the greeting and login prompt, as the node sends them on connecting.
    QList<QByteArray> greeting{"Welcome to the TEST convers node\r\nlogin: "};
    // The password prompt after the call, or empty for a node that asks for none.
    QList<QByteArray> passwordPrompt{};
    // What the node says once logged in (asks for the channel).
    QList<QByteArray> joinPrompt{"Type /n <your call> <channel> to log on\r\n"};

    ConversServer();
    quint16 port() const { return m_server.serverPort(); }
    bool accept();
    // Sends a piece and lets it reach the program before the next.
    void send(const QByteArray& bytes);
    // What the program has sent, once it holds `expected` or 10 s have passed.
    QByteArray received(const QByteArray& expected);
    QByteArray receivedWithin(int ms);
    // The call and channel of the last "/n" seen, empty before.
    QByteArray joinedAs() const { return m_joined; }

private:
    void onReadyRead();
    void handleLine(const QByteArray& line);

    enum class Stage
    {
        Call,
        Password,
        Join,
        Chat
    } m_stage = Stage::Call;
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QByteArray m_got;
    QByteArray m_pending;
    QByteArray m_joined;
    int m_passwords = 0;
};

} // namespace zenthra::test
