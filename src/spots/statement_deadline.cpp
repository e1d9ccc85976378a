#include "spots/statement_deadline.h"

#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>
#include <sys/socket.h>

namespace zenthra {

namespace {

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

StatementDeadline::StatementDeadline(std::chrono::milliseconds limit) : m_limit(limit)
{
    m_thread = std::thread([this] { run(); });
}

StatementDeadline::~StatementDeadline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

int StatementDeadline::expired() const
{
    const std::lock_guard lock(m_mutex);
    return m_expired;
}

void StatementDeadline::arm(int socket)
{
    {
        const std::lock_guard lock(m_mutex);
        m_socket = socket;
        m_due = std::chrono::steady_clock::now() + m_limit;
    }
    m_changed.notify_all();
}

void StatementDeadline::disarm()
{
    const std::lock_guard lock(m_mutex);
    m_socket = -1;
}

void StatementDeadline::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_socket < 0) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_due) == std::cv_status::timeout && m_socket >= 0 &&
            std::chrono::steady_clock::now() >= m_due) {
            // Shut, not closed: the descriptor stays the driver's, and its waiting ends at once.
            ::shutdown(m_socket, SHUT_RDWR);
            m_socket = -1;
            ++m_expired;
        }
    }
}

StatementDeadline::Watch::Watch(StatementDeadline* deadline, const QSqlDatabase& connection)
{
    if (!deadline) {
        return;
    }
    const int socket = serverSocket(connection);
    if (socket >= 0) {
        m_deadline = deadline;
        m_deadline->arm(socket);
    }
}

StatementDeadline::Watch::~Watch()
{
    if (m_deadline) {
        m_deadline->disarm();
    }
}

} // namespace zenthra
