#include "spots/server_watch.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QStringList>
#include <QVariant>

#include <libpq-fe.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace zenthra {

namespace {

using std::chrono::milliseconds;
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

// When the server was last heard on `socket`, a statement's connection since `since`: the last
// data that came in (bytes not read yet have just come). A socket that cannot tell (not TCP) was
// last heard when the statement began.
steady_clock::time_point lastHeard(int socket, steady_clock::time_point since, steady_clock::time_point now)
{
    int unread = 0;
    if (::ioctl(socket, FIONREAD, &unread) == 0 && unread > 0) {
        return now;
    }
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
        size < offsetof(tcp_info, tcpi_last_data_recv) + sizeof info.tcpi_last_data_recv) {
        return since;
    }
    return std::max(since, now - milliseconds(info.tcpi_last_data_recv));
}

// Wakes whoever polls the eventfd `fd`.
void ring(int fd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

bool numericAddress(const std::string& host)
{
    in6_addr bytes{};
    return ::inet_pton(AF_INET, host.c_str(), &bytes) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &bytes) == 1;
}

// A host name looked up on a thread of its own that nothing waits for: a name server that does not
// answer holds neither the watch nor the end of the program. An empty list: the name is unknown.
struct Lookup
{
    std::mutex mutex;
    bool done = false;
    std::vector<std::string> addresses;
};

std::vector<std::string> addressesOf(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<std::string> addresses;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        return addresses;
    }
    for (const addrinfo* a = found; a; a = a->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0 &&
            std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
            addresses.emplace_back(text);
        }
    }
    ::freeaddrinfo(found);
    return addresses;
}

std::vector<std::string> resolve(const ServerWatch::Resolver& resolver, const std::string& name)
{
    return resolver ? resolver(name) : addressesOf(name);
}

std::shared_ptr<Lookup> lookUp(const std::string& name, int wake, const ServerWatch::Resolver& resolver)
{
    auto lookup = std::make_shared<Lookup>();
    // A descriptor of its own: the watch may be gone when the name is found.
    const int told = ::fcntl(wake, F_DUPFD_CLOEXEC, 0);
    try {
        std::thread([lookup, name, told, resolver] {
            std::vector<std::string> addresses = resolve(resolver, name);
            {
                const std::lock_guard lock(lookup->mutex);
                lookup->addresses = std::move(addresses);
                lookup->done = true;
            }
            if (told >= 0) {
                ring(told);
                ::close(told);
            }
        }).detach();
    } catch (const std::system_error&) {
        if (told >= 0) {
            ::close(told);
        }
        lookup->done = true;
    }
    return lookup;
}

} // namespace

// The names the layers connect to, each with the addresses it was last found at. Each is looked up
// again whenever a connection is made, on a thread of its own, one lookup at a time.
struct ServerWatch::Names
{
    struct Name
    {
        std::vector<std::string> addresses;
        // Lookups ended so far, and whether one is under way.
        quint64 found = 0;
        bool pending = false;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Name> names;
    // The program ends: nobody waits for a name any longer.
    bool ended = false;

    // Under the mutex.
    void lookUp(const std::shared_ptr<Names>& self, const std::string& name, const Resolver& resolver)
    {
        Name& n = names[name];
        if (n.pending) {
            return;
        }
        n.pending = true;
        try {
            std::thread([self, name, resolver] {
                std::vector<std::string> addresses = resolve(resolver, name);
                {
                    const std::lock_guard lock(self->mutex);
                    Name& found = self->names[name];
                    // A name that failing name servers keep from being found keeps its addresses.
                    if (!addresses.empty()) {
                        found.addresses = std::move(addresses);
                    }
                    ++found.found;
                    found.pending = false;
                }
                self->changed.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            n.pending = false;
            ++n.found;
        }
    }
    void end()
    {
        {
            const std::lock_guard lock(mutex);
            ended = true;
        }
        changed.notify_all();
    }
};

// One ask: every address of the server is asked at once, each within the allowance, whether
// anything answers there. The first byte the server sends after the start-up packet is an answer
// (the login goes no further). So is a connection refused or failed at every address: nothing
// would wait on the server. An address that refuses while another stays silent is no answer:
// the program's own connections would wait on the silent one.
class ServerWatch::Ask
{
public:
    Ask(const Address& address, milliseconds allowance, int wake, const Resolver& resolver)
        : m_allowance(allowance)
    {
        const auto now = steady_clock::now();
        m_port = address.port > 0 ? std::to_string(address.port) : std::string();
        m_database = address.database.toStdString();
        m_user = address.user.toStdString();
        for (const QString& entry : address.host.split(u',')) {
            const std::string host = entry.trimmed().toStdString();
            if (host.empty()) {
                continue;
            }
            if (host.front() == '/' || host.front() == '@') {
                start("host", host, now);
            } else if (numericAddress(host)) {
                start("hostaddr", host, now);
            } else {
                m_lookups.push_back({lookUp(host, wake, resolver), now + m_allowance});
            }
        }
    }
    ~Ask()
    {
        for (const Try& t : m_tries) {
            PQfinish(t.conn);
        }
    }
    Ask(const Ask&) = delete;
    Ask& operator=(const Ask&) = delete;

    bool answered() const
    {
        return m_heard || (m_lookups.empty() && std::all_of(m_tries.begin(), m_tries.end(),
                                                            [](const Try& t) { return t.failed; }));
    }
    // Answered, or every address out of time.
    bool over(steady_clock::time_point now)
    {
        for (auto it = m_lookups.begin(); it != m_lookups.end();) {
            std::unique_lock lock(it->lookup->mutex);
            if (!it->lookup->done) {
                ++it;
                continue;
            }
            const std::vector<std::string> addresses = it->lookup->addresses;
            lock.unlock();
            if (addresses.empty()) {
                // An unknown name fails the program's own connections at once too.
                m_tries.push_back({nullptr, PGRES_POLLING_FAILED, now, true});
            }
            for (const std::string& a : addresses) {
                start("hostaddr", a, now);
            }
            it = m_lookups.erase(it);
        }
        return answered() || now >= end();
    }
    steady_clock::time_point end() const
    {
        steady_clock::time_point last;
        for (const Try& t : m_tries) {
            last = std::max(last, t.deadline);
        }
        for (const Pending& p : m_lookups) {
            last = std::max(last, p.deadline);
        }
        return last;
    }
    // Adds the sockets to wait on to `fds`, for heard() to read.
    void sockets(std::vector<pollfd>& fds)
    {
        m_first = fds.size();
        for (const Try& t : m_tries) {
            const int socket = t.failed ? -1 : PQsocket(t.conn);
            fds.push_back({socket, short(t.state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0});
        }
    }
    void heard(const std::vector<pollfd>& fds)
    {
        for (std::size_t i = 0; i < m_tries.size() && m_first + i < fds.size() && !m_heard; ++i) {
            Try& t = m_tries[i];
            if (t.failed || fds[m_first + i].revents == 0) {
                continue;
            }
            if (t.state == PGRES_POLLING_READING) {
                // The start-up packet went out, and the server said something, or closed.
                m_heard = true;
                break;
            }
            t.state = PQconnectPoll(t.conn);
            m_heard = t.state == PGRES_POLLING_OK;
            t.failed = t.state == PGRES_POLLING_FAILED;
        }
    }

private:
    struct Try
    {
        PGconn* conn = nullptr;
        PostgresPollingStatusType state = PGRES_POLLING_WRITING;
        steady_clock::time_point deadline;
        // Refused, or failed otherwise.
        bool failed = false;
    };
    struct Pending
    {
        std::shared_ptr<Lookup> lookup;
        steady_clock::time_point deadline;
    };

    void start(const char* key, const std::string& host, steady_clock::time_point now)
    {
        // Neither TLS nor GSS is asked for first: the start-up packet goes out at once. Empty
        // values take libpq's defaults, as the program's own connections do.
        const char* const keys[] = {key, "port", "dbname", "user", "sslmode", "gssencmode", nullptr};
        const char* const values[] = {
            host.c_str(), m_port.c_str(), m_database.c_str(), m_user.c_str(), "disable", "disable", nullptr};
        PGconn* conn = PQconnectStartParams(keys, values, 0);
        const bool failed = !conn || PQstatus(conn) == CONNECTION_BAD;
        m_tries.push_back(
            {conn, failed ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING, now + m_allowance, failed});
    }

    const milliseconds m_allowance;
    std::string m_port;
    std::string m_database;
    std::string m_user;
    std::vector<Try> m_tries;
    std::vector<Pending> m_lookups;
    std::size_t m_first = 0;
    // The server sent something at one of its addresses.
    bool m_heard = false;
};

ServerWatch::ServerWatch(Timing timing) : m_timing(timing), m_names(std::make_shared<Names>())
{
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_thread = std::thread([this] { run(); });
}

ServerWatch::~ServerWatch()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    wake();
    m_thread.join();
    if (m_wake >= 0) {
        ::close(m_wake);
    }
}

void ServerWatch::wake()
{
    if (m_wake >= 0) {
        ring(m_wake);
    }
}

void ServerWatch::setAddress(const Address& address)
{
    const std::lock_guard lock(m_mutex);
    m_address = address;
}

void ServerWatch::setResolver(Resolver resolver)
{
    const std::lock_guard lock(m_mutex);
    m_resolver = std::move(resolver);
}

std::vector<ServerWatch::Target> ServerWatch::targets(const QString& hosts, milliseconds wait)
{
    Resolver resolver;
    {
        const std::lock_guard lock(m_mutex);
        resolver = m_resolver;
    }
    const auto deadline = steady_clock::now() + wait;
    const QStringList entries = hosts.split(u',');
    const auto isName = [](const std::string& host) {
        return !host.empty() && host.front() != '/' && host.front() != '@' && !numericAddress(host);
    };
    std::unique_lock lock(m_names->mutex);
    // Each name is looked up afresh; what was found before the wait began is not fresh.
    std::map<std::string, quint64> before;
    for (const QString& entry : entries) {
        const std::string host = entry.trimmed().toStdString();
        if (isName(host) && before.count(host) == 0) {
            before[host] = m_names->names[host].found;
            m_names->lookUp(m_names, host, resolver);
        }
    }
    m_names->changed.wait_until(lock, deadline, [&] {
        return m_names->ended || std::all_of(before.begin(), before.end(), [&](const auto& b) {
                   return m_names->names[b.first].found > b.second;
               });
    });
    std::vector<Target> out;
    for (const QString& entry : entries) {
        const QString host = entry.trimmed();
        const std::string text = host.toStdString();
        if (text.empty()) {
            continue;
        }
        if (!isName(text)) {
            const bool folder = text.front() == '/' || text.front() == '@';
            out.push_back({host, folder ? QString() : host});
            continue;
        }
        for (const std::string& a : m_names->names[text].addresses) {
            out.push_back({host, QString::fromStdString(a)});
        }
    }
    return out;
}

QString ServerWatch::silence() const
{
    const std::lock_guard lock(m_mutex);
    return m_silent || m_stopped ? QString::fromLatin1(silenceText) : QString();
}

void ServerWatch::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        cutAll();
    }
    m_names->end();
    wake();
}

void ServerWatch::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_names->end();
}

bool ServerWatch::stopped() const
{
    const std::lock_guard lock(m_mutex);
    return m_stopped || m_finishing;
}

int ServerWatch::cuts() const
{
    const std::lock_guard lock(m_mutex);
    return m_cuts;
}

void ServerWatch::cut(Running& running)
{
    // Shut, not closed: the descriptor stays the driver's, and its waiting ends at once. Its
    // owner is inside the statement until it disarms under the mutex, so the descriptor is still
    // the connection's.
    ::shutdown(running.socket, SHUT_RDWR);
    running.cut = true;
    ++m_cuts;
}

void ServerWatch::cutAll()
{
    for (auto& [id, r] : m_running) {
        if (!r.cut) {
            cut(r);
        }
    }
}

quint64 ServerWatch::arm(int socket)
{
    quint64 id = 0;
    {
        const std::lock_guard lock(m_mutex);
        id = m_nextId++;
        Running& running = m_running[id];
        running = {socket, steady_clock::now(), false};
        if (m_silent || m_stopped) {
            // Began just as the server was found silent: it would wait on it.
            cutAll();
        } else if (m_finishing) {
            // Nothing new goes out at the end; what runs already is left to its answer.
            cut(running);
        }
    }
    wake();
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
    constexpr auto never = steady_clock::time_point::max();
    std::unique_ptr<Ask> ask;
    // When the last ask ended: the next is never sooner than askAfter after it.
    steady_clock::time_point asked;
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        const auto now = steady_clock::now();
        if (ask && (m_stopped || ask->over(now))) {
            if (!m_stopped) {
                // The first answer ends a silence.
                m_silent = !ask->answered();
                if (m_silent) {
                    cutAll();
                }
            }
            ask.reset();
            asked = now;
        }
        auto until = never;
        // Since when the statement that has heard nothing longest has heard nothing.
        auto quiet = never;
        for (auto& [id, r] : m_running) {
            if (r.cut) {
                continue;
            }
            const auto heard = lastHeard(r.socket, r.since, now);
            if (now - heard >= m_timing.limit) {
                cut(r);
                continue;
            }
            until = std::min(until, heard + m_timing.limit);
            quiet = std::min(quiet, heard);
        }
        if (!ask && !m_stopped && !m_address.host.isEmpty() && (m_silent || quiet != never)) {
            const auto due = (m_silent ? asked : std::max(quiet, asked)) + m_timing.askAfter;
            if (now >= due) {
                const Address address = m_address;
                const Resolver resolver = m_resolver;
                lock.unlock();
                ask = std::make_unique<Ask>(address, m_timing.answerWithin, m_wake, resolver);
                lock.lock();
                continue;
            }
            until = std::min(until, due);
        }
        std::vector<pollfd> fds{{m_wake, POLLIN, 0}};
        if (ask) {
            ask->sockets(fds);
            until = std::min(until, ask->end());
        }
        lock.unlock();
        int timeout = -1;
        if (until != never) {
            const auto left = std::chrono::ceil<milliseconds>(until - steady_clock::now()).count();
            timeout = int(std::clamp<decltype(left)>(left, 0, INT_MAX));
        }
        if (m_wake < 0) {
            // Nothing can wake the thread: it looks again now and then.
            timeout = timeout < 0 ? int(m_timing.askAfter.count())
                                  : std::min(timeout, int(m_timing.askAfter.count()));
        }
        if (::poll(fds.data(), fds.size(), timeout) > 0) {
            if (fds[0].revents != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t n = ::read(m_wake, &count, sizeof count);
            }
            if (ask) {
                ask->heard(fds);
            }
        }
        lock.lock();
    }
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
