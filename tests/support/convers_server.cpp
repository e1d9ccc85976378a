#include "support/convers_server.h"

#include <QTest>

namespace zenthra::test {

ConversServer::ConversServer()
{
    m_server.listen(QHostAddress::LocalHost);
}

bool ConversServer::accept()
{
    (void)QTest::qWaitFor([this] { return m_server.hasPendingConnections(); }, 5000);
    m_peer = m_server.nextPendingConnection();
    if (m_peer == nullptr) {
        return false;
    }
    QObject::connect(m_peer, &QTcpSocket::readyRead, m_peer, [this] { onReadyRead(); });
    for (const QByteArray& piece : greeting) {
        send(piece);
    }
    return true;
}

void ConversServer::send(const QByteArray& bytes)
{
    m_peer->write(bytes);
    m_peer->flush();
    QTest::qWait(30);
}

void ConversServer::onReadyRead()
{
    const QByteArray bytes = m_peer->readAll();
    m_got += bytes;
    m_pending += bytes;
    for (qsizetype end = m_pending.indexOf("\r\n"); end >= 0; end = m_pending.indexOf("\r\n")) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 2);
        handleLine(line);
    }
}

void ConversServer::handleLine(const QByteArray& line)
{
    const auto answer = [this](const QList<QByteArray>& pieces) {
        for (const QByteArray& piece : pieces) {
            m_peer->write(piece);
        }
        m_peer->flush();
    };
    switch (m_stage) {
    case Stage::Call:
        m_stage = passwordPrompt.isEmpty() ? Stage::Join : Stage::Password;
        answer(passwordPrompt.isEmpty() ? joinPrompt : passwordPrompt);
        break;
    case Stage::Password:
        // The program sends its password twice; the second line is taken as nothing.
        if (++m_passwords == 2) {
            m_stage = Stage::Join;
            answer(joinPrompt);
        }
        break;
    case Stage::Join:
    case Stage::Chat:
        if (line.toLower().startsWith("/n ")) {
            m_joined = line.mid(3);
            m_stage = Stage::Chat;
            const QByteArray channel = m_joined.mid(m_joined.indexOf(' ') + 1);
            answer({"*** You are now talking to channel " + channel + ". There are 3 users.\r\n"});
        } else if (line == "/quit") {
            m_peer->disconnectFromHost();
        }
        break;
    }
}

QByteArray ConversServer::received(const QByteArray& expected)
{
    (void)QTest::qWaitFor([&] { return m_got == expected; }, 10000);
    return m_got;
}

QByteArray ConversServer::receivedWithin(int ms)
{
    QTest::qWait(ms);
    return m_got;
}

} // namespace zenthra::test
