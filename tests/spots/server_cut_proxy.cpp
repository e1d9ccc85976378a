#include "server_cut_proxy.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace zenthra::test {

class Relay : public QObject
{
public:
    Relay(const QString& host, quint16 port) : m_host(host), m_port(port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
    }

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
    m_relay = new Relay(host, port);
    m_relay->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_relay, &QObject::deleteLater);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_relay,
        [this] {
            m_relay->listen(0);
            m_port = m_relay->port();
        },
        Qt::BlockingQueuedConnection);
}

ServerCutProxy::~ServerCutProxy()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { m_relay->cut(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void ServerCutProxy::cut()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { m_relay->cut(); }, Qt::BlockingQueuedConnection);
}

bool ServerCutProxy::restore()
{
    bool ok = false;
    QMetaObject::invokeMethod(
        m_relay, [this, &ok] { ok = m_relay->listen(m_port); }, Qt::BlockingQueuedConnection);
    return ok;
}

void ServerCutProxy::silence()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { m_relay->setSilent(true); }, Qt::BlockingQueuedConnection);
}

void ServerCutProxy::answer()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { m_relay->setSilent(false); }, Qt::BlockingQueuedConnection);
}

} // namespace zenthra::test
