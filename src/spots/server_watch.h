#pragma once
// Whether the database server answers, for every layer of the program at once. A server that
// accepts and never answers, or a path to it lost without a reset, would hold a statement, and
// its caller, for as long as it lasts, and a time limit on the server side cannot help against a
// server that does not answer. So a statement that has heard nothing from the server for a moment
// has the server asked, over a connection of its own, whether it answers at all: one that does is
// left to finish (the server's own time limit ends it), one that does not has every running
// statement cut (the connection's socket is shut, the statement fails as a lost connection) and,
// until it answers again, every layer's statements fail at once instead of waiting. Only silence
// counts: anything the server sends is an answer, however slowly it comes (an authentication
// request, an error, a refused connection), and a busy or slow server answers.
//
// The server's host names are looked up here too, for every layer, on threads that nothing waits
// for: name servers that do not answer hold no layer longer than it chooses to wait, and none
// beyond the end of the program.

#include <QSqlDatabase>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zenthra {

class ServerWatch
{
public:
    // How long each address of the server is given to answer an ask. An ask waits only for the
    // server's first byte, two round trips after it begins even on a satellite path, where a
    // login takes several and the server's own checks besides: so less than a login is given.
    static constexpr int askAllowanceSeconds = 3;

    struct Timing
    {
        // A statement that has heard nothing from the server for this long has the server asked
        // whether it answers; asks are never closer together than this, and a silent server is
        // asked again this long after the last ask ended.
        std::chrono::milliseconds askAfter{1000};
        // Each address of the server must answer an ask within this.
        std::chrono::milliseconds answerWithin{std::chrono::seconds(askAllowanceSeconds)};
        // A statement that has heard nothing on its own connection for this long is cut whatever
        // new connections hear: its connection hangs. The server's own limit ends every sound
        // statement well before, and rows that still come are not cut however long they take.
        std::chrono::milliseconds limit{8000};
    };
    // Where the server is asked; empty host: nowhere, and only the limit holds. The host may be
    // a name (every address it has is asked), an address, a socket folder, or a comma-separated
    // list of them, as libpq takes it.
    struct Address
    {
        QString host;
        int port = -1;
        QString database;
        QString user;
        // Never sent: an ask ends at the server's first answer, before any password is asked.
        QString password;
    };

    // A host name's numeric addresses; none when it has none, or none could be found. It may take
    // as long as the name servers take: it runs on a thread of its own that nothing waits for.
    using Resolver = std::function<std::vector<std::string>(const std::string& name)>;
    // What a connection is made to: the host as given (a name keeps what the server's certificate
    // and the password file are matched against) and the address to reach it at, empty for a
    // socket folder.
    struct Target
    {
        QString host;
        QString address;
    };

    explicit ServerWatch(Timing timing);
    ServerWatch() : ServerWatch(Timing{}) {}
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    void setAddress(const Address& address);
    // How host names are looked up: the system's resolver unless one is given.
    void setResolver(Resolver resolver);

    // Where a connection to `hosts` (a host, an address, a socket folder, or a comma-separated
    // list of them, as libpq takes it) goes, in order: each name gives its addresses in its place,
    // so that libpq never looks a name up itself, on whatever thread it runs. A name is looked up
    // as an ask looks it up, and its addresses are awaited at most `wait`, and not beyond the end
    // of the program; a name not found by then counts with the addresses it had last, or none.
    std::vector<Target> targets(const QString& hosts, std::chrono::milliseconds wait);

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
    // The end of the program, for a server that answers: every statement running now goes on to
    // its answer, so that what it did is known, every later one fails at once, and no layer
    // connects again.
    void finish();
    // The end of the program: every statement running now is cut, every later one fails at once,
    // and no layer connects again.
    void stop();
    // After finish() or stop().
    bool stopped() const;
    // Statements cut so far, whatever the reason.
    int cuts() const;

    static constexpr const char* silenceText = "the database server does not answer";

private:
    struct Names;
    struct Running
    {
        int socket = -1;
        std::chrono::steady_clock::time_point since;
        bool cut = false;
    };
    class Ask;
    void run();
    // Wakes the watch's thread to look again at what runs.
    void wake();
    void cut(Running& running);
    void cutAll();
    quint64 arm(int socket);
    bool disarm(quint64 id);

    const Timing m_timing;
    mutable std::mutex m_mutex;
    // Wakes the watch's thread, which waits on the sockets of an ask as well.
    int m_wake = -1;
    Address m_address;
    std::map<quint64, Running> m_running;
    quint64 m_nextId = 1;
    bool m_silent = false;
    bool m_stopped = false;
    bool m_finishing = false;
    int m_cuts = 0;
    bool m_quit = false;
    Resolver m_resolver;
    // Shared with the threads that look names up, which may end after the watch.
    std::shared_ptr<Names> m_names;
    std::thread m_thread;
};

} // namespace zenthra
