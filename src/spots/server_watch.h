#pragma once
// Whether the database server answers, for every layer of the program at once. A server that
// accepts and never answers, or a path to it lost without a reset, would hold a statement, and
// its caller, for as long as it lasts, and a time limit on the server side cannot help against a
// server that does not answer. So a statement still running after a moment has the server asked,
// over a connection of its own, whether it answers at all: one that does is left to finish (the
// server's own time limit ends it), one that does not has every running statement cut (the
// connection's socket is shut, the statement fails as a lost connection) and, until it answers
// again, every layer's statements fail at once instead of waiting. A server busy with much work
// answers: only silence counts.

#include <QSqlDatabase>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace zenthra {

class ServerWatch
{
public:
    struct Timing
    {
        // A statement running this long has the server asked whether it answers ...
        std::chrono::milliseconds askAfter{1000};
        // ... which it must within this.
        std::chrono::milliseconds answerWithin{1500};
        // Past this a statement is cut whatever the server says: its own limit ends every sound one
        // well before.
        std::chrono::milliseconds limit{8000};
    };
    // Where the server is asked; empty host: nowhere, and only the limit holds.
    struct Address
    {
        QString host;
        int port = -1;
        QString database;
        QString user;
        QString password;
    };

    explicit ServerWatch(Timing timing);
    ServerWatch() : ServerWatch(Timing{}) {}
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    void setAddress(const Address& address);

    // While one lives, the statement on `connection` is watched; nothing for a connection that is
    // not to the server. cut() afterwards: the watch cut it because the server did not answer.
    class Statement
    {
    public:
        Statement(ServerWatch* watch, const QSqlDatabase& connection);
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;
        bool cut() const;

    private:
        ServerWatch* m_watch = nullptr;
        quint64 m_id = 0;
    };

    // Empty while the server answers; else why every statement fails at once.
    QString silence() const;
    // The end of the program: every statement running now is cut, every later one fails at once,
    // and no layer connects again.
    void stop();
    bool stopped() const;
    // Statements cut so far, whatever the reason.
    int cuts() const;

    static constexpr const char* silenceText = "the database server does not answer";

private:
    struct Running
    {
        int socket = -1;
        std::chrono::steady_clock::time_point since;
        bool cut = false;
    };
    void run();
    // Asks the server at `address` for any answer at all, within the time given.
    static bool answers(const Address& address, std::chrono::milliseconds within);
    void cutAll(std::unique_lock<std::mutex>& lock);
    quint64 arm(int socket);
    bool disarm(quint64 id);

    const Timing m_timing;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Address m_address;
    std::map<quint64, Running> m_running;
    quint64 m_nextId = 1;
    bool m_silent = false;
    bool m_stopped = false;
    int m_cuts = 0;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace zenthra
