#include "spots/server_watch.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace zenthra {

namespace {

using std::chrono::steady_clock;

// The socket of a server connection, or -1 (another driver, or not connected).
int serverSocket(const QSqlDatabase& connection)
{
    const QSqlDriver* driver = connection.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL) {
        return -1;
    }
    const QVariant handle = driver->handle();
    // Qt names the type by libpq's own struct.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)) {
        return -1;
    }
    auto* conn = *static_cast<PGconn* const*>(handle.constData());
    return conn ? PQsocket(conn) : -1;
}

} // namespace

ServerWatch::ServerWatch(Timing timing) : m_timing(timing)
{
    m_thread = std::thread([this] { run(); });
}

ServerWatch::~ServerWatch()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ServerWatch::setAddress(const Address& address)
{
    const std::lock_guard lock(m_mutex);
    m_address = address;
}

QString ServerWatch::silence() const
{
    const std::lock_guard lock(m_mutex);
    return m_silent || m_stopped ? QString::fromLatin1(silenceText) : QString();
}

void ServerWatch::stop()
{
    std::unique_lock lock(m_mutex);
    m_stopped = true;
    cutAll(lock);
}

bool ServerWatch::stopped() const
{
    const std::lock_guard lock(m_mutex);
    return m_stopped;
}

int ServerWatch::cuts() const
{
    const std::lock_guard lock(m_mutex);
    return m_cuts;
}

void ServerWatch::cutAll(std::unique_lock<std::mutex>&)
{
    for (auto& [id, r] : m_running) {
        if (!r.cut) {
            // Shut, not closed: the descriptor stays the driver's, and its waiting ends at once.
            // Its owner is inside the statement until it disarms under this mutex, so the
            // descriptor is still the connection's.
            ::shutdown(r.socket, SHUT_RDWR);
            r.cut = true;
            ++m_cuts;
        }
    }
}

quint64 ServerWatch::arm(int socket)
{
    std::unique_lock lock(m_mutex);
    const quint64 id = m_nextId++;
    m_running[id] = {socket, steady_clock::now(), false};
    if (m_silent || m_stopped) {
        // Began just as the server was found silent: it would wait on it.
        cutAll(lock);
    }
    lock.unlock();
    m_changed.notify_all();
    return id;
}

bool ServerWatch::disarm(quint64 id)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_running.find(id);
    if (it == m_running.end()) {
        return false;
    }
    const bool cut = it->second.cut;
    m_running.erase(it);
    return cut;
}

void ServerWatch::run()
{
    std::unique_lock lock(m_mutex);
    steady_clock::time_point lastAsked;
    while (!m_quit) {
        if (m_silent && !m_stopped) {
            // Asked again now and then, so that every layer goes on once it answers.
            const Address address = m_address;
            lock.unlock();
            const bool answered = answers(address, m_timing.answerWithin);
            lock.lock();
            if (answered) {
                m_silent = false;
                continue;
            }
            m_changed.wait_for(lock, m_timing.askAfter, [this] { return m_quit; });
            continue;
        }
        auto oldest = m_running.end();
        for (auto it = m_running.begin(); it != m_running.end(); ++it) {
            if (!it->second.cut && (oldest == m_running.end() || it->second.since < oldest->second.since)) {
                oldest = it;
            }
        }
        if (oldest == m_running.end()) {
            m_changed.wait(lock);
            continue;
        }
        const auto now = steady_clock::now();
        const auto limitDue = oldest->second.since + m_timing.limit;
        if (now >= limitDue) {
            ::shutdown(oldest->second.socket, SHUT_RDWR);
            oldest->second.cut = true;
            ++m_cuts;
            continue;
        }
        const bool canAsk = !m_address.host.isEmpty() && !m_stopped;
        const auto askDue = std::max(oldest->second.since, lastAsked) + m_timing.askAfter;
        if (canAsk && now >= askDue) {
            const Address address = m_address;
            lock.unlock();
            const bool answered = answers(address, m_timing.answerWithin);
            lock.lock();
            lastAsked = steady_clock::now();
            if (!answered) {
                m_silent = true;
                cutAll(lock);
            }
            continue;
        }
        m_changed.wait_until(lock, canAsk ? std::min(askDue, limitDue) : limitDue);
    }
}

bool ServerWatch::answers(const Address& address, std::chrono::milliseconds within)
{
    if (address.host.isEmpty()) {
        return true;
    }
    // Any answer will do, a refusal too: what is asked is whether anything answers at all.
    const QByteArray host = address.host.toUtf8();
    const QByteArray port = QByteArray::number(address.port > 0 ? address.port : 5432);
    const QByteArray database = address.database.toUtf8();
    const QByteArray user = address.user.toUtf8();
    const QByteArray password = address.password.toUtf8();
    const char* const keys[] = {"host", "port", "dbname", "user", "password", "sslmode", nullptr};
    const char* const values[] = {host.constData(), port.constData(),     database.constData(),
                                  user.constData(), password.constData(), "disable",
                                  nullptr};
    PGconn* conn = PQconnectStartParams(keys, values, 0);
    if (!conn) {
        return true;
    }
    const auto deadline = steady_clock::now() + within;
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    bool answered = PQstatus(conn) == CONNECTION_BAD;
    while (!answered) {
        if (state == PGRES_POLLING_OK || state == PGRES_POLLING_FAILED) {
            answered = true;
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{PQsocket(conn), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno != EINTR) {
            answered = true; // nothing to wait on: no silence to report either
            break;
        }
        if (ready > 0) {
            state = PQconnectPoll(conn);
        }
    }
    PQfinish(conn);
    return answered;
}

ServerWatch::Statement::Statement(ServerWatch* watch, const QSqlDatabase& connection)
{
    if (!watch) {
        return;
    }
    const int socket = serverSocket(connection);
    if (socket >= 0) {
        m_watch = watch;
        m_id = m_watch->arm(socket);
    }
}

ServerWatch::Statement::~Statement()
{
    if (m_watch) {
        m_watch->disarm(m_id);
    }
}

bool ServerWatch::Statement::cut() const
{
    if (!m_watch) {
        return false;
    }
    const std::lock_guard lock(m_watch->m_mutex);
    const auto it = m_watch->m_running.find(m_id);
    return it != m_watch->m_running.end() && it->second.cut;
}

} // namespace zenthra
