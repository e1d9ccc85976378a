#pragma once
// A FIFO under a file's name, for a reader or writer that must refuse it at once. Should either
// block on it all the same, the guard opens the FIFO's other end once the deadline has passed: the
// reader then sees an empty file, the writer writes, and the test fails instead of hanging the run.

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zenthra::test {

class FifoGuard
{
public:
    explicit FifoGuard(const QString& path, std::chrono::seconds deadline = std::chrono::seconds(10))
        : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        if (m_made) {
            m_thread = std::thread([this, deadline] { watch(deadline); });
        }
    }
    ~FifoGuard()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool made() const { return m_made; }
    // The deadline passed while the reader was still at it: it blocked on the FIFO.
    bool fired() const { return m_fired; }

private:
    void watch(std::chrono::seconds deadline)
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, deadline, [this] { return m_done; })) {
            return;
        }
        m_fired = true;
        // A reader end kept open to the end wakes a blocked writer (whose write then finds room
        // and a reader); a writer end opened and closed again wakes a blocked reader, which then
        // reads the end of the file. Neither open blocks.
        const int reader = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        while (!m_done) {
            const int writer = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) {
                ::close(writer);
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(10), [this] { return m_done; });
        }
        if (reader >= 0) {
            ::close(reader);
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_fired{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace zenthra::test
