#include "server_cut_proxy.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <list>
#include <utility>

namespace zenthra::test {

class Relay : public QObject
{
public:
    Relay(const QString& host, quint16 port) : m_host(host), m_port(port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
        connect(&m_pace, &QTimer::timeout, this, &Relay::flush);
        m_pace.start(2);
        m_clock.start();
    }
    ~Relay() override
    {
        cut();
        release();
    }

    bool listen(quint16 port) { return m_server.listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return m_server.serverPort(); }
    int accepted() const { return m_accepted; }

    void cut()
    {
        const quint16 port = m_server.isListening() ? m_server.serverPort() : 0;
        m_server.close();
        for (Pair& p : m_pairs) {
            for (QTcpSocket* s : {p.client.data(), p.upstream.data()}) {
                if (s) {
                    s->disconnect(this); // its pair goes below
                    s->abort();
                    s->deleteLater();
                }
            }
        }
        m_pairs.clear();
        if (port != 0) {
            hold(port);
        }
    }
    // Listens again on the port it was cut from.
    bool restore(quint16 port)
    {
        if (m_held >= 0 && ::listen(m_held, SOMAXCONN) == 0) {
            const int fd = std::exchange(m_held, -1);
            if (m_server.setSocketDescriptor(fd)) {
                return true;
            }
            ::close(fd);
        }
        release();
        return listen(port);
    }

    void setSilent(bool silent)
    {
        m_silent = silent;
        if (!silent) {
            for (Pair& p : m_pairs) {
                p.held = false;
            }
            flush();
        }
    }
    void holdOpen()
    {
        for (Pair& p : m_pairs) {
            p.held = true;
        }
    }
    void setDelay(std::chrono::milliseconds delay) { m_delay = delay.count(); }
    void setRate(qint64 bytesPerSecond) { m_rate = bytesPerSecond; }

private:
    struct Chunk
    {
        qint64 due = 0;
        QByteArray bytes;
    };
    struct Pair
    {
        QPointer<QTcpSocket> client;
        QPointer<QTcpSocket> upstream;
        bool held = false;
        std::deque<Chunk> toServer;
        std::deque<Chunk> toClient;
        qint64 sentAt = 0; // for the rate: when the last of the server's bytes went on
    };

    void take(QTcpSocket* from, std::deque<Chunk>& queue)
    {
        if (from) {
            const QByteArray bytes = from->readAll();
            if (!bytes.isEmpty()) {
                queue.push_back({m_clock.elapsed() + m_delay, bytes});
            }
        }
        flush();
    }

    void flush()
    {
        const qint64 now = m_clock.elapsed();
        for (Pair& p : m_pairs) {
            if (m_silent || p.held) {
                continue;
            }
            send(p.toServer, p.upstream, now, 0, nullptr);
            send(p.toClient, p.client, now, m_rate, &p.sentAt);
        }
    }

    static void send(std::deque<Chunk>& queue, QTcpSocket* to, qint64 now, qint64 rate, qint64* sentAt)
    {
        if (!to || to->state() != QAbstractSocket::ConnectedState) {
            return;
        }
        while (!queue.empty() && queue.front().due <= now) {
            Chunk& c = queue.front();
            qint64 n = c.bytes.size();
            if (rate > 0) {
                // A byte may go on once its share of the rate has passed since the last one.
                *sentAt = std::max(*sentAt, now - 50);
                n = std::min(n, (now - *sentAt) * rate / 1000);
                if (n <= 0) {
                    return;
                }
                *sentAt += n * 1000 / rate;
            }
            to->write(c.bytes.left(n));
            c.bytes.remove(0, n);
            if (!c.bytes.isEmpty()) {
                return;
            }
            queue.pop_front();
        }
    }

    // Cut, the relay keeps its port bound without listening: a connection is refused there, as by
    // a server that is away, and no other socket is given the port meanwhile (a connection going
    // out takes a port that nothing has bound), so the relay listens there again when restored,
    // however busy the machine.
    void hold(quint16 port)
    {
        release();
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            m_held = fd;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    void release()
    {
        if (m_held >= 0) {
            ::close(std::exchange(m_held, -1));
        }
    }

    void accept()
    {
        while (QTcpSocket* client = m_server.nextPendingConnection()) {
            ++m_accepted;
            auto* upstream = new QTcpSocket(this);
            Pair* pair = &m_pairs.emplace_back();
            pair->client = client;
            pair->upstream = upstream;
            // The client's bytes wait in the queue until the server side is connected.
            connect(client, &QTcpSocket::readyRead, this, [=, this] { take(client, pair->toServer); });
            connect(upstream, &QTcpSocket::connected, this, &Relay::flush);
            connect(upstream, &QTcpSocket::readyRead, this, [=, this] { take(upstream, pair->toClient); });
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
    QTimer m_pace{this};
    QElapsedTimer m_clock;
    // A list keeps each pair where it is, for the lambdas that hold it.
    std::list<Pair> m_pairs;
    bool m_silent = false;
    qint64 m_delay = 0;
    qint64 m_rate = 0;
    int m_accepted = 0;
    // The port's socket while cut.
    int m_held = -1;
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
            result = relay.restore(m_port);
            break;
        case Command::Silence:
            relay.setSilent(true);
            break;
        case Command::Answer:
            relay.setSilent(false);
            break;
        case Command::SilenceOpen:
            relay.holdOpen();
            break;
        case Command::Settings: {
            const std::lock_guard settings(m_mutex);
            relay.setDelay(m_delay);
            relay.setRate(m_rate);
            break;
        }
        case Command::Count: {
            const std::lock_guard count(m_mutex);
            m_count = relay.accepted();
            break;
        }
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

namespace zenthra::test {

void ServerCutProxy::silenceOpen()
{
    command(Command::SilenceOpen);
}

void ServerCutProxy::setDelay(std::chrono::milliseconds delay)
{
    {
        const std::lock_guard lock(m_mutex);
        m_delay = delay;
    }
    command(Command::Settings);
}

void ServerCutProxy::setRate(qint64 bytesPerSecond)
{
    {
        const std::lock_guard lock(m_mutex);
        m_rate = bytesPerSecond;
    }
    command(Command::Settings);
}

int ServerCutProxy::accepted()
{
    command(Command::Count);
    const std::lock_guard lock(m_mutex);
    return m_count;
}

} // namespace zenthra::test
