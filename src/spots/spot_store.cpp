#include "spots/spot_store.h"

#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "spots/announcement_writer.h"
#include "spots/announcements.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/log.h"
#include "spots/server_watch.h"

#include <QEventLoop>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace zenthra {

namespace {

constexpr auto shortestRetry = std::chrono::milliseconds(100);
// The most spots whose calls one look-up statement asks for.
constexpr size_t lookupBatch = 250;

// A text for the other side of the hand-over, with characters of its own: a side that keeps the
// text it sent could otherwise free them while the other still reads them, in the string's own
// code, where the thread checker cannot see that the count they share orders the two.
QString handedOver(const QString& text)
{
    return text.isNull() ? QString() : QString(text.constData(), text.size());
}

// A layer of the store's own, with the settings and keyword list it opens with.
struct OwnLayer
{
    OwnLayer(const DataFolder& folder, ErrorLog& log, std::shared_ptr<ServerWatch> watch)
        : keywords(log), db(settings, folder, log, keywordSeeding(keywords))
    {
        db.setServerWatch(std::move(watch));
    }
    DatabaseSettings settings;
    PropKeywords keywords;
    Database db;
};

// The store threads of the process that have not ended. Never freed: a thread left to end by
// itself may end after everything else.
struct Threads
{
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};
Threads& threads()
{
    static auto* t = new Threads;
    return *t;
}

} // namespace

// What the window's side and the store's thread share: the two queues of the hand-over, and what
// each side needs to wake the other. The last of them to let go frees it.
struct SpotStore::Line
{
    enum class Namer
    {
        Nobody,
        Thread,
        Front,
    };
    struct Job
    {
        std::function<void(Work&)> run;
        bool row = false;
        // The announcement's ticket, for an announcement.
        quint64 announcement = 0;
    };
    // True when the thread is to be woken.
    bool handOver(Job job)
    {
        const std::lock_guard lock(mutex);
        rowsNotTaken += job.row ? 1 : 0;
        inbox.push_back(std::move(job));
        return !std::exchange(inboxWoken, true);
    }
    // Whether the thread may run a job it took over: not once the window's side has let go. A row
    // it runs is the writers' from then on, counted and logged by them; an announcement it runs
    // is its own to store or to name.
    bool mayRun(const Job& job)
    {
        const std::lock_guard lock(mutex);
        if (left) {
            return false;
        }
        rowsNotTaken -= job.row ? 1 : 0;
        rowsHeld += job.row ? 1 : 0;
        announcementsTaken = std::max(announcementsTaken, job.announcement);
        return true;
    }
    // The rows the writers hold once a job is done.
    void holding(qint64 rows)
    {
        const std::lock_guard lock(mutex);
        rowsHeld = rows;
    }
    // At the end, one side names the rows and announcements the thread took and still holds: the
    // thread once it ends, or the window's side when the thread has not ended by the time it lets
    // go. True for the side that is to.
    bool namesWhatTheThreadHolds(Namer side)
    {
        const std::lock_guard lock(mutex);
        if (namer == Namer::Nobody) {
            namer = side;
        }
        return namer == side;
    }
    template <typename T> std::deque<T> takeOver(std::deque<T>& box, bool& woken)
    {
        const std::lock_guard lock(mutex);
        woken = false;
        return std::exchange(box, {});
    }
    // Hands an answer to the window's side; dropped once that side has let go.
    void reply(std::function<void()> answer)
    {
        if (!ownThread) {
            answer();
            return;
        }
        {
            const std::lock_guard lock(mutex);
            if (!front) {
                return;
            }
            outbox.push_back(std::move(answer));
            // Under the mutex, so that the window's side cannot be going while it is woken.
            if (!std::exchange(outboxWoken, true)) {
                QMetaObject::invokeMethod(front, "drainOutbox", Qt::QueuedConnection);
            }
        }
        answered.notify_all();
    }

    bool ownThread = false;
    std::shared_ptr<ServerWatch> watch;
    std::mutex mutex;
    std::condition_variable answered;
    std::deque<Job> inbox;
    // Rows handed over that the thread has not run; the rows it holds, as the writers last told
    // and taken since; the latest announcement it took.
    qint64 rowsNotTaken = 0;
    qint64 rowsHeld = 0;
    quint64 announcementsTaken = 0;
    Namer namer = Namer::Nobody;
    std::deque<std::function<void()>> outbox;
    bool inboxWoken = false;
    bool outboxWoken = false;
    // The thread's own, there once its event loop is.
    QObject* pump = nullptr;
    // The window's side, until it lets go.
    SpotStore* front = nullptr;
    // The window's side is ending: the thread ends once the work handed over is done ...
    bool stopping = false;
    // ... or at once, leaving the rest undone, once the window's side has let go.
    bool left = false;
    bool finished = false;
};

// Wakes the thread. It carries no data: what is handed over goes through the line's
// mutex-guarded queues, so that the order and the hand-over are the line's own.
class SpotStore::Pump : public QObject
{
    Q_OBJECT
public:
    Pump(Line& line, Work& work, QEventLoop& loop, SpotStore* front)
        : m_line(line), m_front(front), m_work(work), m_loop(loop)
    {
    }
    Q_INVOKABLE void drain();

private:
    Line& m_line;
    // Only for the answers, which run on the window's side while it is there.
    SpotStore* const m_front;
    Work& m_work;
    QEventLoop& m_loop;
};

// The worker's side; it lives in the store's thread.
class SpotStore::Work : public QObject
{
public:
    Work(Database* borrowed, const DataFolder& folder, ErrorLog& log, bool* busy, Line& line,
         SpotStore* front)
        : m_own(borrowed ? nullptr : std::make_unique<OwnLayer>(folder, log, line.watch)),
          m_db(borrowed ? *borrowed : m_own->db), m_busy(busy ? *busy : m_ownBusy),
          m_calls(m_db, folder, log, m_busy), m_writers(m_db, log, m_busy), m_log(log), m_line(line),
          m_front(front)
    {
        m_retry.setSingleShot(true);
        connect(&m_retry, &QTimer::timeout, this, &Work::resume);
        // Every opening that works, a retry's too, is told: the window's layer joins then.
        connect(&m_db, &Database::databasesOpened, this, [this](bool ok) {
            if (ok) {
                // The window's side classifies with the list this opening read, whatever its own
                // layer managed.
                std::optional<PropTypeList> list;
                if (m_own && m_own->keywords.loaded()) {
                    list = m_own->keywords.arrPropTypes();
                }
                m_line.reply([f = m_front, list] {
                    f->m_openAnswered = true;
                    if (list) {
                        Q_EMIT f->keywordsRead(*list);
                    }
                    Q_EMIT f->opened(true);
                });
                // What waits for the database goes at once; an opening with nothing waiting
                // leaves the retry timer as it was.
                if (!m_lookups.empty() || !m_announcements.empty()) {
                    m_retry.start(0);
                }
            }
        });
        connect(&m_writers, &SpotWriters::mufRowStored, this,
                [this] { m_line.reply([f = m_front] { Q_EMIT f->mufRowStored(); }); });
        connect(&m_writers, &SpotWriters::storingChanged, this, &Work::tellWriters);
    }

    // The rows and announcements still waiting are named in the log, unless the window's side,
    // gone on without the thread, has named them already.
    ~Work() override
    {
        if (!m_line.namesWhatTheThreadHolds(Line::Namer::Thread)) {
            m_writers.leaveRowsToOwner();
            return;
        }
        for (const Announcement& a : m_announcements) {
            Announcements::logFailure(m_log, {Database::errProviderFailure, {}}, a.text);
        }
    }

    void open(const DatabaseSettings& settings, std::chrono::milliseconds interval, const QString& schema)
    {
        if (!m_own) {
            return;
        }
        jobsTaken();
        m_own->settings = settings;
        m_db.setServerRetryInterval(interval);
        m_db.setServerSchema(schema);
        m_db.OPEN_DATABASES(settings.strDbType);
        if (!m_db.isOpen()) {
            m_line.reply([f = m_front] {
                f->m_openAnswered = true;
                Q_EMIT f->opened(false);
            });
        }
    }

    void close()
    {
        jobsTaken();
        if (m_own) {
            m_db.CLOSE_DATABASES();
        }
    }

    void locate(quint64 ticket, const QString& call1, const QString& call2)
    {
        m_lookups.push_back({ticket, call1, call2});
        if (m_away) {
            return;
        }
        if (m_line.ownThread) {
            // Asked once the look-ups handed over with it are in too: together, in one statement.
            m_serveDue = true;
            return;
        }
        serve();
    }
    // The jobs handed over so far are taken: the look-ups among them are asked.
    void jobsTaken()
    {
        // The look-ups go before the rows: their answers are the next rows, made while these are
        // written.
        lookupsFirst();
        if (std::exchange(m_endDue, false)) {
            m_batchOpen = false;
            m_writers.endBatch();
            tellWriters();
        }
    }
    // What is written at once waits for nothing handed over before it: the look-ups still to be
    // asked go first.
    void lookupsFirst()
    {
        if (std::exchange(m_serveDue, false) && !m_away) {
            serve();
        }
    }

    void store(SpotWriters::Row row)
    {
        if (!m_batchOpen) {
            lookupsFirst();
        }
        m_writers.storeRow(std::move(row));
        tellWriters();
    }
    void announce(quint64 ticket, const QString& text, const QVariant& utc)
    {
        lookupsFirst();
        m_announcements.push_back({ticket, text, utc});
        if (m_announcements.size() == 1) {
            announceWaiting();
        }
    }
    void beginBatch()
    {
        // A batch whose end is due still gathers: the ticks handed over together share it.
        if (!m_endDue) {
            m_writers.beginBatch();
        }
        m_batchOpen = true;
    }
    void endBatch()
    {
        if (m_line.ownThread) {
            // Written once the jobs handed over with it are in: the rows of every tick that came
            // while the last were written go in one transaction.
            m_endDue = true;
            return;
        }
        m_batchOpen = false;
        m_writers.endBatch();
        tellWriters();
    }

    // A statement of no weight: it comes back only when the database answers.
    void ping()
    {
        if (m_db.isOpen() && m_db.dialect() == SqlDialect::Postgres) {
            m_db.exec(Store::Spots, QStringLiteral("SELECT 1"));
        }
    }

    CallLocator& calls() { return m_calls; }
    SpotWriters& writers() { return m_writers; }

private:
    struct Lookup
    {
        quint64 ticket = 0;
        QString call1;
        QString call2;
    };
    struct Announcement
    {
        quint64 ticket = 0;
        QString text;
        QVariant utc;
    };

    // On the server an announcement is stored once, however late the answer, and waits as
    // look-ups do while the server cannot take it, opening a lost connection again as no spot may
    // come along to do it; a refusal for time or a lock has it written again at the retry
    // interval. A refusal for the row itself, or any failure on a file, is logged, and the
    // announcement is not stored.
    void announceWaiting()
    {
        while (!m_announcements.empty()) {
            const Announcement& a = m_announcements.front();
            if (!serverKind()) {
                m_announcementWriter.forget();
                const SqlFailure why = Announcements::insert(m_db, a.text, a.utc);
                if (why.number != 0) {
                    Announcements::logFailure(m_log, why, a.text);
                }
            } else {
                const AnnouncementWriter::Outcome outcome = m_announcementWriter.write(a.text, a.utc);
                switch (outcome.fate) {
                case AnnouncementWriter::Fate::Lost:
                    // Each is paced by the retry interval: true at most once per interval.
                    if (m_db.openFailed() ? m_db.retryOpen() : m_db.recoverLostServer(outcome.why)) {
                        continue;
                    }
                    retryAnnouncements(m_db.serverRetryInterval());
                    return;
                case AnnouncementWriter::Fate::Wait:
                    retryAnnouncements(SpotWriters::diskRetryInterval);
                    return;
                case AnnouncementWriter::Fate::Refused:
                    Announcements::logFailure(m_log, outcome.why, a.text);
                    break;
                case AnnouncementWriter::Fate::Stored:
                    break;
                }
            }
            m_line.reply([f = m_front, ticket = a.ticket] { f->announced(ticket); });
            m_announcements.pop_front();
        }
    }

    void retryAnnouncements(std::chrono::milliseconds interval)
    {
        if (!m_retry.isActive()) {
            m_retry.start(std::max(interval, shortestRetry));
        }
    }

    bool serverKind() const
    {
        // The kind asked for, not the one last opened: a layer that never opened has none.
        return m_own ? dialectOfKind(m_own->settings.strDbType) == SqlDialect::Postgres
                     : m_db.dialect() == SqlDialect::Postgres;
    }

    void resume()
    {
        announceWaiting();
        serve();
    }

    void serve()
    {
        while (!m_lookups.empty()) {
            const auto batch = std::min(m_lookups.size(), lookupBatch);
            QStringList calls;
            for (size_t i = 0; i < batch; ++i) {
                for (const QString* call : {&m_lookups[i].call1, &m_lookups[i].call2}) {
                    if (!call->isEmpty() && !calls.contains(*call)) {
                        calls.append(*call);
                    }
                }
            }
            QHash<QString, QString> locators;
            if (m_calls.lookUpAll(calls, locators) == CallLocator::LookUp::DatabaseAway) {
                away();
                return;
            }
            for (size_t i = 0; i < batch; ++i) {
                const Lookup& l = m_lookups.front();
                m_line.reply([f = m_front, ticket = l.ticket, loc1 = locators.value(l.call1),
                              loc2 = locators.value(l.call2)] { Q_EMIT f->located(ticket, loc1, loc2); });
                m_lookups.pop_front();
            }
        }
        if (m_away) {
            m_away = false;
            m_line.reply([f = m_front] {
                f->m_lookupWhy = QString();
                Q_EMIT f->storingChanged();
            });
        }
    }

    void away()
    {
        const bool server = serverKind();
        if (!server && m_db.isOpen()) {
            // The failed look-up opened the files again: tried again at once, its reason kept.
            m_retry.start(shortestRetry);
            return;
        }
        QString why;
        if (m_db.openFailed()) {
            why = m_db.notOpenText();
        } else if (!server || (!m_db.isOpen() && !m_db.serverLost())) {
            why = QStringLiteral("the databases are closed");
        } else {
            why =
                QStringLiteral("the connection to the database server was lost; tried again every %1 s")
                    .arg(
                        std::chrono::duration_cast<std::chrono::seconds>(m_db.serverRetryInterval()).count());
        }
        if (!m_away || why != m_awayWhy) {
            m_line.reply([f = m_front, why = handedOver(why)] {
                f->m_lookupWhy = why;
                Q_EMIT f->storingChanged();
            });
        }
        m_away = true;
        m_awayWhy = why;
        const auto interval = server ? m_db.serverRetryInterval() : Database::fileRetryInterval;
        m_retry.start(std::max(interval, shortestRetry));
    }

    void tellWriters()
    {
        const QString why = m_writers.notStoringWhy();
        const qsizetype rows = m_writers.backlogRows();
        m_line.holding(rows);
        if (why == m_toldWhy && why.isNull() == m_toldWhy.isNull() && rows == m_toldRows) {
            return;
        }
        m_toldWhy = why;
        m_toldRows = rows;
        m_line.reply([f = m_front, why = handedOver(why), rows] {
            f->m_writersWhy = why;
            f->m_backlogRows = rows;
            Q_EMIT f->storingChanged();
        });
    }

    std::unique_ptr<OwnLayer> m_own;
    Database& m_db;
    bool m_ownBusy = false;
    bool& m_busy;
    CallLocator m_calls;
    SpotWriters m_writers;
    AnnouncementWriter m_announcementWriter{m_db};
    ErrorLog& m_log;
    Line& m_line;
    // Only for the answers, which run on the window's side while it is there.
    SpotStore* const m_front;
    std::deque<Lookup> m_lookups;
    bool m_serveDue = false;
    bool m_endDue = false;
    // Between a tick's beginning and the writing of its rows: the rows only gather.
    bool m_batchOpen = false;
    std::deque<Announcement> m_announcements;
    QTimer m_retry;
    bool m_away = false;
    QString m_awayWhy;
    QString m_toldWhy;
    qsizetype m_toldRows = 0;
};

void SpotStore::Pump::drain()
{
    std::deque<Line::Job> jobs = m_line.takeOver(m_line.inbox, m_line.inboxWoken);
    qint64 done = 0;
    bool left = false;
    for (auto& job : jobs) {
        if (!m_line.mayRun(job)) {
            left = true;
            break;
        }
        job.run(m_work);
        m_line.holding(m_work.writers().backlogRows());
        ++done;
    }
    if (!left) {
        m_work.jobsTaken();
    }
    bool stopping = false;
    {
        const std::lock_guard lock(m_line.mutex);
        stopping = m_line.stopping && m_line.inbox.empty();
    }
    m_line.reply([f = m_front, done] { f->m_unanswered -= done; });
    if (stopping) {
        m_loop.quit();
    }
}

SpotStore::SpotStore(Database* callerLayer, const DataFolder& folder, ErrorLog& log, bool& dbBusy,
                     QObject* parent)
    : QObject(parent), m_log(log), m_line(std::make_shared<Line>())
{
    m_line->front = this;
    if (callerLayer) {
        m_work = std::make_unique<Work>(callerLayer, folder, log, &dbBusy, *m_line, this);
        return;
    }
    m_ownThread = true;
    m_line->ownThread = true;
    m_serverWatch = std::make_shared<ServerWatch>();
    m_line->watch = m_serverWatch;
    {
        const std::lock_guard lock(threads().mutex);
        ++threads().running;
    }
    m_thread = std::thread(&SpotStore::run, m_line, DataFolder(folder), std::cref(log));
    {
        // The thread's event loop is there before anything is handed to it.
        std::unique_lock lock(m_line->mutex);
        m_line->answered.wait(lock, [this] { return m_line->pump != nullptr; });
    }
    m_watch.setInterval(500);
    connect(&m_watch, &QTimer::timeout, this, &SpotStore::checkSilence);
    m_watch.start();
    m_progress.start();
}

void SpotStore::run(std::shared_ptr<Line> line, DataFolder folder, const ErrorLog& log)
{
    // A thread of the store's own rather than a QThread, so that its start and its end order
    // what it did with what the window's thread does, for the thread checker too. What it works
    // with is its own: the log a copy of the program's, writing the same file.
    Clock clock = log.clock();
    ErrorLog ownLog(log.folder(), clock);
    SpotStore* front = nullptr;
    {
        const std::lock_guard lock(line->mutex);
        front = line->front;
    }
    {
        QEventLoop loop;
        Work work(nullptr, folder, ownLog, nullptr, *line, front);
        Pump pump(*line, work, loop, front);
        {
            const std::lock_guard lock(line->mutex);
            line->pump = &pump;
        }
        line->answered.notify_all();
        loop.exec();
        const std::lock_guard lock(line->mutex);
        line->pump = nullptr;
    }
    {
        const std::lock_guard lock(line->mutex);
        line->finished = true;
    }
    line->answered.notify_all();
    line.reset();
    const std::lock_guard lock(threads().mutex);
    --threads().running;
    threads().ended.notify_all();
}

bool SpotStore::awaitThreadsEnded(std::chrono::milliseconds limit)
{
    std::unique_lock lock(threads().mutex);
    return threads().ended.wait_for(lock, limit, [] { return threads().running == 0; });
}

SpotStore::~SpotStore()
{
    // Whoever listened may be gone before the store (the owner's other parts, the window): the
    // answers taken in from here on settle the store's own accounts and reach nothing else.
    blockSignals(true);
    if (!m_ownThread) {
        // The work goes first: it names what it still holds, through the line it shares.
        m_work.reset();
        const std::lock_guard lock(m_line->mutex);
        m_line->front = nullptr;
        return;
    }
    m_watch.stop();
    const auto finished = [this](std::chrono::milliseconds limit) {
        std::unique_lock lock(m_line->mutex);
        return m_line->answered.wait_for(lock, limit, [this] { return m_line->finished; });
    };
    {
        // The thread closes its layer itself, after the work handed over.
        const std::lock_guard lock(m_line->mutex);
        m_line->stopping = true;
        if (m_line->pump) {
            QMetaObject::invokeMethod(m_line->pump, "drain", Qt::QueuedConnection);
        }
    }
    // A server already found silent is not waited for: what it holds is cut at once.
    const bool silent = m_silent || !m_serverWatch->silence().isEmpty();
    const bool left = silent || !finished(finishWait);
    qint64 rowsNotTaken = 0;
    quint64 announcementsTaken = 0;
    if (left) {
        leave();
        // What the thread answered before it was left is taken in: the announcements it stored.
        drainOutbox();
        {
            const std::lock_guard lock(m_line->mutex);
            rowsNotTaken = m_line->rowsNotTaken;
            announcementsTaken = m_line->announcementsTaken;
        }
        // A server that answers, however slowly, finishes the statement the thread is on, so
        // that its outcome is known (a commit's above all), and nothing goes out after it. Whatever
        // a server that does not answer holds is cut. Either way no connection is made again.
        m_serverWatch->finish();
        if (silent || !finished(answerWait)) {
            m_serverWatch->stop();
        }
    }
    const bool ended = finished(cutWait);
    if (left) {
        // The rows the thread never took are named here; those it holds, by the thread as it
        // ends, or here when it has not ended.
        const bool namesHeld = m_line->namesWhatTheThreadHolds(Line::Namer::Front);
        qint64 rows = rowsNotTaken;
        if (namesHeld) {
            const std::lock_guard lock(m_line->mutex);
            rows += m_line->rowsHeld;
        }
        if (rows > 0) {
            // Said so whether the server was slow or silent: either way the program went first.
            m_log.WRITE_ERROR_LOG(SpotWriters::errOutOfMemory,
                                  QStringLiteral("spot backlog: %1 rows not written, the program ended"
                                                 " before the database took them")
                                      .arg(rows));
        }
        for (const auto& [ticket, text] : m_announcing) {
            if (ticket > announcementsTaken || namesHeld) {
                Announcements::logFailure(m_log, {Database::errProviderFailure, {}}, text);
            }
        }
    }
    if (ended) {
        m_thread.join();
        return;
    }
    qCWarning(lcSpots) << "the spot store's thread did not finish; left to end by itself";
    m_thread.detach();
}

void SpotStore::leave()
{
    const std::lock_guard lock(m_line->mutex);
    m_line->left = true;
    m_line->front = nullptr;
}

void SpotStore::post(std::function<void(Work&)> job, bool row, quint64 announcement)
{
    if (!m_ownThread) {
        job(*m_work);
        return;
    }
    if (m_unanswered++ == 0) {
        m_progress.restart();
    }
    const bool wake = m_line->handOver(Line::Job{std::move(job), row, announcement});
    if (wake) {
        const std::lock_guard lock(m_line->mutex);
        QMetaObject::invokeMethod(m_line->pump, "drain", Qt::QueuedConnection);
    }
}

void SpotStore::drainOutbox()
{
    std::deque<std::function<void()>> answers = m_line->takeOver(m_line->outbox, m_line->outboxWoken);
    for (auto& answer : answers) {
        answer();
    }
}

bool SpotStore::awaitAnswers(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        drainOutbox();
        if (done()) {
            return true;
        }
        std::unique_lock lock(m_line->mutex);
        if (!m_line->answered.wait_until(lock, deadline, [this] { return !m_line->outbox.empty(); })) {
            return false;
        }
    }
}

void SpotStore::checkSilence()
{
    // A file answers, if late: a lock is reported by the writers when its wait ends.
    if (!m_serverKind) {
        setSilent(false);
        return;
    }
    setSilent(!m_serverWatch->silence().isEmpty());
    // A quiet band hands nothing over: the server is asked now and then all the same, so that the
    // caption says when it stops answering.
    if (m_unanswered == 0 && m_progress.elapsed() >= pingInterval.count()) {
        m_progress.restart();
        post([](Work& w) { w.ping(); });
    }
}

void SpotStore::setSilent(bool silent)
{
    if (silent != m_silent) {
        m_silent = silent;
        Q_EMIT storingChanged();
    }
}

void SpotStore::open(const DatabaseSettings& settings, std::chrono::milliseconds serverRetryInterval,
                     const QString& serverSchema)
{
    m_serverKind = dialectOfKind(settings.strDbType) == SqlDialect::Postgres;
    m_openAnswered = !m_ownThread;
    post([settings, serverRetryInterval, serverSchema](Work& w) {
        w.open(settings, serverRetryInterval, serverSchema);
    });
}

void SpotStore::close()
{
    post([](Work& w) { w.close(); });
}

void SpotStore::locate(quint64 ticket, const QString& call1, const QString& call2)
{
    post([ticket, call1, call2](Work& w) { w.locate(ticket, call1, call2); });
}

void SpotStore::store(SpotWriters::Row row)
{
    post([row = std::move(row)](Work& w) mutable { w.store(std::move(row)); }, true);
}

void SpotStore::announce(const QString& text, const QVariant& utc)
{
    const quint64 ticket = m_nextAnnouncement++;
    m_announcing.emplace_back(ticket, text);
    post([ticket, text, utc](Work& w) { w.announce(ticket, text, utc); }, false, ticket);
}

void SpotStore::announced(quint64 ticket)
{
    // Announcements are stored in the order they came.
    if (!m_announcing.empty() && m_announcing.front().first == ticket) {
        m_announcing.pop_front();
    }
}

void SpotStore::beginBatch()
{
    post([](Work& w) { w.beginBatch(); });
}

void SpotStore::endBatch()
{
    post([](Work& w) { w.endBatch(); });
}

QString SpotStore::notStoring(qsizetype waitingSpots) const
{
    QString why = silence();
    if (why.isNull()) {
        why = m_lookupWhy.isNull() ? m_writersWhy : m_lookupWhy;
    }
    if (why.isNull()) {
        return {};
    }
    return SpotWriters::notStoringText(why, waitingSpots + m_backlogRows);
}

QString SpotStore::silence() const
{
    return m_silent ? QString::fromLatin1(ServerWatch::silenceText) : QString();
}

CallLocator& SpotStore::calls()
{
    return m_work->calls();
}

SpotWriters& SpotStore::writers()
{
    return m_work->writers();
}

} // namespace zenthra

#include "spot_store.moc"
