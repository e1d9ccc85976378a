#pragma once
// The spot road's database side: the look-ups the processor asks for and the two table writers.
// In the program it runs on a thread of its own over a database layer of its own, so that a
// database that is slow, locked by another program, or a server that does not answer never stops
// the window: the window's side only hands work over and takes answers back, each way through a
// queue of its own, in order. Tests may instead run it in their own thread over their own layer,
// where each request is served before it returns.
//
// While the database cannot answer a look-up (not opened, closed, its server lost), the look-up
// waits and is tried again, so no spot goes on without its locators. How long the oldest work
// handed over has gone unanswered tells the window that the database does not answer at all.

#include "core/database_settings.h"
#include "spots/spot_writers.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

class QEventLoop;

namespace zenthra {

class CallLocator;
class DataFolder;
class Database;
class ErrorLog;

class SpotStore : public QObject
{
    Q_OBJECT
public:
    // Work handed over to the server and unanswered for this long means that it does not answer
    // (an attempt to connect gives up sooner).
    static constexpr std::chrono::milliseconds silentAfter{5000};
    // While no work is handed over, the database is asked this often whether it answers.
    static constexpr std::chrono::milliseconds pingInterval{5000};

    // Over `callerLayer` in the caller's thread, where `dbBusy` is the flag the look-ups and
    // writers share; without one, on a thread of its own over a layer of its own that open() opens.
    SpotStore(Database* callerLayer, const DataFolder& folder, ErrorLog& log, bool& dbBusy,
              QObject* parent = nullptr);
    // Waits a few seconds for the thread to finish its work; one held by a database that does
    // not answer is left to end with the process.
    ~SpotStore() override;

    bool ownThread() const { return m_ownThread; }
    // Takes the store's answers as they come, and nothing else of the event loop, until `done`
    // holds or `limit` has passed: for start-up, which waits a moment for the databases, and
    // shut-down, which finishes the spots already received. True when `done` holds.
    bool awaitAnswers(std::chrono::milliseconds limit, const std::function<bool()>& done);
    // True once the latest open() has been answered.
    bool openAnswered() const { return m_openAnswered; }

    // Opens (or, with the settings of a restart, opens again) the store's own layer; the outcome
    // comes as opened(). With the caller's layer nothing is done.
    void open(const DatabaseSettings& settings, std::chrono::milliseconds serverRetryInterval,
              const QString& serverSchema);
    void close();

    // Asks for the newest locators of both calls; an empty call is not looked up. Answered by
    // located(), in the order asked.
    void locate(quint64 ticket, const QString& call1, const QString& call2);
    // Stores a converted row as the writers do.
    void store(SpotWriters::Row row);
    // Appends an announcement as the announcements' own append does.
    void announce(const QString& text, const QVariant& utc);
    // Brackets the rows of one processing tick (one transaction on SQLite).
    void beginBatch();
    void endBatch();

    // Empty while spots are stored; else why they are not (the writers' reason, the look-ups',
    // or that the database does not answer), with `waitingSpots` and the writers' waiting rows.
    QString notStoring(qsizetype waitingSpots) const;
    // True while look-ups wait for the database (it cannot be opened, is lost or does not answer).
    bool lookupsWait() const { return m_silent || !m_lookupWhy.isNull(); }
    // While work handed over has gone unanswered for silentAfter: that the database does not
    // answer, in words for the user; else null.
    QString silence() const;

    // The worker's parts; only for a store in the caller's thread.
    CallLocator& calls();
    SpotWriters& writers();

Q_SIGNALS:
    void located(quint64 ticket, const QString& loc1, const QString& loc2);
    void mufRowStored();
    void opened(bool ok);
    // notStoring() may read otherwise.
    void storingChanged();

private:
    class Work;
    class Pump;
    void post(std::function<void(Work&)> job);
    void reply(std::function<void()> answer);
    // One side's hand-over: true when the other side is to be woken for it.
    template <typename T> bool handOver(std::deque<T>& box, bool& woken, T item)
    {
        const std::lock_guard lock(m_mutex);
        box.push_back(std::move(item));
        return !std::exchange(woken, true);
    }
    // The other side takes all that was handed over, in order.
    template <typename T> std::deque<T> takeOver(std::deque<T>& box, bool& woken)
    {
        const std::lock_guard lock(m_mutex);
        woken = false;
        return std::exchange(box, {});
    }
    Q_INVOKABLE void drainOutbox();
    void drainInbox();
    void checkSilence();
    void setSilent(bool silent);

    void run(const DataFolder& folder, ErrorLog& log);

    std::unique_ptr<Work> m_work;
    bool m_ownThread = false;
    std::thread m_thread;
    // The worker's own; m_pump is set under the mutex once its event loop is there.
    Pump* m_pump = nullptr;
    QEventLoop* m_loop = nullptr;
    bool m_stopping = false;
    bool m_finished = false;

    std::mutex m_mutex;
    std::deque<std::function<void(Work&)>> m_inbox;
    std::deque<std::function<void()>> m_outbox;
    bool m_inboxWoken = false;
    bool m_outboxWoken = false;
    std::condition_variable m_answered;
    bool m_openAnswered = true;

    // The window's side: work handed over and not yet done, and since when it has not moved.
    qint64 m_unanswered = 0;
    QElapsedTimer m_progress;
    QTimer m_watch;
    bool m_silent = false;
    bool m_serverKind = false;

    // What the worker last told.
    QString m_lookupWhy;
    QString m_writersWhy;
    qsizetype m_backlogRows = 0;
};

} // namespace zenthra
