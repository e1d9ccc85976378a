#pragma once
// A TCP relay on loopback between the program and the test PostgreSQL server, which a test can
// cut (every connection closed, new ones refused) and restore, as a server outage looks to the
// program, or silence (connections stay, bytes are held both ways) and let answer again, as a
// hung server or a lost path looks, without stopping the server that other tests share. It can
// also be a slow path: each byte late by a delay either way, the server's bytes at a rate, or the
// connections open now held while new ones go through, as one connection hung on a live server. The
// relay runs on a thread of its own: the database driver blocks the test's thread while it waits
// for an answer. It counts the program's round trips, so a test can bound what a step costs over a
// long path by a count rather than a time.

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zenthra::test {

class ServerCutProxy
{
public:
    ServerCutProxy(const QString& host, quint16 port);
    ~ServerCutProxy();
    ServerCutProxy(const ServerCutProxy&) = delete;
    ServerCutProxy& operator=(const ServerCutProxy&) = delete;

    quint16 port() const { return m_port; }
    void cut();
    // Listens again on the same port.
    bool restore();
    void silence();
    // What was held goes on, in order.
    void answer();
    // Only the connections open now are held; later ones go through. answer() lets them go on.
    void silenceOpen();
    // Every byte from now on goes on this much later, either way, in order: a long path.
    void setDelay(std::chrono::milliseconds delay);
    // The server's bytes go on at most this many a second; 0: as fast as they come.
    void setRate(qint64 bytesPerSecond);
    // Connections the relay accepted so far.
    int accepted();
    // Round trips the clients asked for so far, every connection together (see PgRoundTrips).
    qint64 roundTrips();

private:
    enum class Command
    {
        None,
        Cut,
        Restore,
        Silence,
        Answer,
        SilenceOpen,
        Settings,
        Count,
        Quit,
    };
    // Hands the relay's thread a command and waits until it is carried out: through a mutex, so
    // that the thread checker sees the order too.
    bool command(Command c);
    void run(const QString& host, quint16 port);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Command m_command = Command::None;
    bool m_ready = false;
    bool m_result = false;
    int m_count = 0;
    qint64 m_roundTrips = 0;
    std::chrono::milliseconds m_delay{0};
    qint64 m_rate = 0;
    quint16 m_port = 0;
};

} // namespace zenthra::test
