#pragma once
// The spot road's database side: the look-ups the processor asks for and the two table writers.
// In the program it runs on a thread of its own over a database layer of its own, so that a
// database that is slow, locked by another program, or a server that does not answer never stops
// the window: the window's side only hands work over and takes answers back, each way through a
// queue of its own, in order. Tests may instead run it in their own thread over their own layer,
// where each request is served before it returns.
//
// While the database cannot answer a look-up (not opened, closed, its server lost), the look-up
// waits and is tried again, so no spot goes on without its locators; an announcement the server
// cannot take waits the same way. Each opens the lost connection again at the retry interval, as
// nothing else may come along to do it. Whether the server answers at all is the server watch's
// to say, which the window's layer shares.
//
// The thread owns everything it works with, its own log and data folder included: at the end of
// the program one that a server holds is left to finish by itself, and nothing it uses is
// touched, closed or freed from another thread.

#include "core/database_settings.h"
#include "propagation/prop_keywords.h"
#include "spots/spot_writers.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <thread>

namespace zenthra {

class CallLocator;
class DataFolder;
class Database;
class ErrorLog;
class ServerWatch;

class SpotStore : public QObject
{
    Q_OBJECT
public:
    // While no work is handed over, the database is asked this often whether it answers.
    static constexpr std::chrono::milliseconds pingInterval{5000};
    // At the end of the program: how long the thread may take to finish the work handed over;
    // then, left, for the statement it is on to be answered; and then, with every statement cut,
    // to end.
    static constexpr std::chrono::milliseconds finishWait{1500};
    static constexpr std::chrono::milliseconds answerWait{1500};
    static constexpr std::chrono::milliseconds cutWait{1500};

    // Over `callerLayer` in the caller's thread, where `dbBusy` is the flag the look-ups and
    // writers share; without one, on a thread of its own over a layer of its own that open() opens.
    SpotStore(Database* callerLayer, const DataFolder& folder, ErrorLog& log, bool& dbBusy,
              QObject* parent = nullptr);
    // Waits a moment for the thread to finish the work handed over; then lets the statement it is
    // on be answered, cuts what a server that does not answer holds, and waits a moment more. A
    // thread that still has not finished is left to end by itself. Either way the log says how
    // many rows were not stored and names each announcement not stored, each once. Nothing the
    // store tells reaches its listeners from here on: they may be gone already.
    ~SpotStore() override;

    // Store threads of the process not yet ended, left ones included; waits at most `limit` for
    // them to end. True when none is left.
    static bool awaitThreadsEnded(std::chrono::milliseconds limit);
    // The watch the store's layer works under, for the window's layer to share; null for a store
    // in the caller's thread.
    const std::shared_ptr<ServerWatch>& serverWatch() const { return m_serverWatch; }

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
    // Appends an announcement as the announcements' own append does on a file. On the server it is
    // stored once however late the answer, as the spot rows are; with the server away, or refusing
    // it for time or a lock, it waits, in order, and is stored once the server takes it. One still
    // waiting when the program ends is named in the error log.
    void announce(const QString& text, const QVariant& utc);
    // Brackets the rows of one processing tick (one transaction on SQLite).
    void beginBatch();
    void endBatch();

    // Empty while spots are stored; else why they are not (the writers' reason, the look-ups',
    // or that the database does not answer), with `waitingSpots` and the writers' waiting rows.
    QString notStoring(qsizetype waitingSpots) const;
    // True while look-ups wait for the database (it cannot be opened, is lost or does not answer).
    bool lookupsWait() const { return m_silent || !m_lookupWhy.isNull(); }
    // While the server watch finds that the server does not answer: that, in words for the user;
    // else null.
    QString silence() const;

    // The worker's parts; only for a store in the caller's thread.
    CallLocator& calls();
    SpotWriters& writers();

Q_SIGNALS:
    void located(quint64 ticket, const QString& loc1, const QString& loc2);
    void mufRowStored();
    void opened(bool ok);
    // The keyword list as the store's opening read it.
    void keywordsRead(const PropTypeList& list);
    // notStoring() may read otherwise.
    void storingChanged();

private:
    class Work;
    class Pump;
    struct Line;
    void post(std::function<void(Work&)> job, bool row = false, quint64 announcement = 0);
    void announced(quint64 ticket);
    Q_INVOKABLE void drainOutbox();
    void checkSilence();
    void setSilent(bool silent);
    void leave();

    static void run(std::shared_ptr<Line> line, DataFolder folder, const ErrorLog& log);

    ErrorLog& m_log;
    // With the caller's layer: the work, done where it is asked for.
    std::unique_ptr<Work> m_work;
    bool m_ownThread = false;
    std::shared_ptr<Line> m_line;
    std::thread m_thread;
    std::shared_ptr<ServerWatch> m_serverWatch;
    bool m_openAnswered = true;

    // The window's side: work handed over and not yet done, and since when nothing was handed
    // over.
    qint64 m_unanswered = 0;
    QElapsedTimer m_progress;
    // Announcements handed over and not yet stored (or logged as refused), in order.
    std::deque<std::pair<quint64, QString>> m_announcing;
    quint64 m_nextAnnouncement = 1;
    QTimer m_watch;
    bool m_silent = false;
    bool m_serverKind = false;

    // What the worker last told.
    QString m_lookupWhy;
    QString m_writersWhy;
    qsizetype m_backlogRows = 0;
};

} // namespace zenthra
