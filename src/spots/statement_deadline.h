#pragma once
// A time limit on the statements of a server connection that the caller cannot do without: a
// server that accepts and never answers, or a path to it lost without a reset, would hold the
// statement, and its caller, for as long as it lasts, and a time limit on the server side cannot
// help against a server that does not answer. Past the limit the connection's socket is shut:
// the statement fails at once as a lost connection, and the layer connects again later.

#include <QSqlDatabase>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zenthra {

class StatementDeadline
{
public:
    explicit StatementDeadline(std::chrono::milliseconds limit);
    ~StatementDeadline();
    StatementDeadline(const StatementDeadline&) = delete;
    StatementDeadline& operator=(const StatementDeadline&) = delete;

    // While one lives, the statement on `connection` is watched; nothing for a connection that is
    // not to the server.
    class Watch
    {
    public:
        Watch(StatementDeadline* deadline, const QSqlDatabase& connection);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        StatementDeadline* m_deadline = nullptr;
    };

    // How many statements were cut off so far.
    int expired() const;

private:
    void run();
    void arm(int socket);
    void disarm();

    const std::chrono::milliseconds m_limit;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_socket = -1;
    std::chrono::steady_clock::time_point m_due;
    int m_expired = 0;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace zenthra
