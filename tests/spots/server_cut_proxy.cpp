#include "server_cut_proxy.h"

#include <QEventLoop>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace zenthra::test {

class Relay : public QObject
{
public:
    Relay(const QString& host, quint16 port) : m_host(host), m_port(port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
    }
    ~Relay() override { cut(); }

    bool listen(quint16 port) { return m_server.listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return m_server.serverPort(); }

    void cut()
    {
        m_server.close();
        for (const QPointer<QTcpSocket>& s : std::as_const(m_sockets)) {
            if (s) {
                s->abort();
                s->deleteLater();
            }
        }
        m_sockets.clear();
        m_pairs.clear();
    }

    void setSilent(bool silent)
    {
        m_silent = silent;
        if (!silent) {
            for (const auto& [a, b] : std::as_const(m_pairs)) {
                forward(a, b);
                forward(b, a);
            }
        }
    }

private:
    void forward(QTcpSocket* from, QTcpSocket* to) const
    {
        if (from && to && !m_silent && to->state() == QAbstractSocket::ConnectedState) {
            to->write(from->readAll());
        }
    }

    void accept()
    {
        while (QTcpSocket* client = m_server.nextPendingConnection()) {
            auto* upstream = new QTcpSocket(this);
            m_sockets << client << upstream;
            m_pairs.append(std::pair{QPointer<QTcpSocket>(client), QPointer<QTcpSocket>(upstream)});
            // The client's bytes wait in its buffer until the server side is connected.
            connect(client, &QTcpSocket::readyRead, this, [=, this] { forward(client, upstream); });
            connect(upstream, &QTcpSocket::connected, this, [=, this] { forward(client, upstream); });
            connect(upstream, &QTcpSocket::readyRead, this, [=, this] { forward(upstream, client); });
            for (auto [a, b] : {std::pair{client, upstream}, std::pair{upstream, client}}) {
                connect(a, &QTcpSocket::disconnected, b, &QTcpSocket::disconnectFromHost);
                connect(a, &QTcpSocket::errorOccurred, b, &QTcpSocket::abort);
            }
            upstream->connectToHost(m_host, m_port);
        }
    }

    QString m_host;
    quint16 m_port;
    QTcpServer m_server{this};
    QList<QPointer<QTcpSocket>> m_sockets;
    QList<std::pair<QPointer<QTcpSocket>, QPointer<QTcpSocket>>> m_pairs;
    bool m_silent = false;
};

ServerCutProxy::ServerCutProxy(const QString& host, quint16 port)
{
    m_thread = std::thread([this, host, port] { run(host, port); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready; });
}

ServerCutProxy::~ServerCutProxy()
{
    command(Command::Quit);
    m_thread.join();
}

void ServerCutProxy::run(const QString& host, quint16 port)
{
    QEventLoop loop;
    Relay relay(host, port);
    relay.listen(0);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        std::unique_lock lock(m_mutex);
        const Command c = std::exchange(m_command, Command::None);
        lock.unlock();
        bool result = true;
        switch (c) {
        case Command::None:
            return;
        case Command::Cut:
            relay.cut();
            break;
        case Command::Restore:
            result = relay.listen(m_port);
            break;
        case Command::Silence:
            relay.setSilent(true);
            break;
        case Command::Answer:
            relay.setSilent(false);
            break;
        case Command::Quit:
            relay.cut();
            loop.quit();
            break;
        }
        lock.lock();
        m_result = result;
        m_ready = true;
        m_changed.notify_all();
    });
    poll.start(5);
    {
        const std::lock_guard lock(m_mutex);
        m_port = relay.port();
        m_ready = true;
    }
    m_changed.notify_all();
    loop.exec();
}

bool ServerCutProxy::command(Command c)
{
    std::unique_lock lock(m_mutex);
    m_command = c;
    m_ready = false;
    m_changed.wait(lock, [this] { return m_ready; });
    return m_result;
}

void ServerCutProxy::cut()
{
    command(Command::Cut);
}

bool ServerCutProxy::restore()
{
    return command(Command::Restore);
}

void ServerCutProxy::silence()
{
    command(Command::Silence);
}

void ServerCutProxy::answer()
{
    command(Command::Answer);
}

} // namespace zenthra::test
