#include "spots/spot_store.h"

#include "propagation/prop_keywords.h"
#include "spots/announcements.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/log.h"

#include <QEventLoop>

#include <algorithm>

namespace zenthra {

namespace {

constexpr auto shortestRetry = std::chrono::milliseconds(100);
// A file another program holds keeps the store's thread no longer than this at a time, so that
// the look-ups between the writers' retries go on and the spots wait as rows, once processed.
constexpr auto ownBusyTimeout = std::chrono::milliseconds(1000);
// How long the end of the program waits for the store's thread to finish its work.
constexpr unsigned long finishWaitMs = 5000;

// A layer of the store's own, with the settings and keyword list it opens with.
struct OwnLayer
{
    OwnLayer(const DataFolder& folder, ErrorLog& log)
        : keywords(log), db(settings, folder, log, keywordSeeding(keywords))
    {
        db.setBusyTimeout(ownBusyTimeout);
    }
    DatabaseSettings settings;
    PropKeywords keywords;
    Database db;
};

} // namespace

// Wakes the other side. It carries no data: what is handed over goes through the store's
// mutex-guarded queues, so that the order and the hand-over are the store's own.
class SpotStore::Pump : public QObject
{
    Q_OBJECT
public:
    explicit Pump(SpotStore& store) : m_store(store) {}
    Q_INVOKABLE void drain() { m_store.drainInbox(); }

private:
    SpotStore& m_store;
};

// The worker's side; it lives in the store's thread.
class SpotStore::Work : public QObject
{
public:
    Work(Database* borrowed, const DataFolder& folder, ErrorLog& log, bool* busy, SpotStore& front)
        : m_own(borrowed ? nullptr : std::make_unique<OwnLayer>(folder, log)),
          m_db(borrowed ? *borrowed : m_own->db), m_busy(busy ? *busy : m_ownBusy),
          m_calls(m_db, folder, log, m_busy), m_writers(m_db, log, m_busy), m_log(log), m_front(front)
    {
        m_retry.setSingleShot(true);
        connect(&m_retry, &QTimer::timeout, this, &Work::serve);
        // Every opening that works, a retry's too, is told: the window's layer joins then.
        connect(&m_db, &Database::databasesOpened, this, [this](bool ok) {
            if (ok) {
                m_front.reply([f = &m_front] {
                    f->m_openAnswered = true;
                    Q_EMIT f->opened(true);
                });
                m_retry.start(0);
            }
        });
        connect(&m_writers, &SpotWriters::mufRowStored, this,
                [this] { m_front.reply([f = &m_front] { Q_EMIT f->mufRowStored(); }); });
        connect(&m_writers, &SpotWriters::storingChanged, this, &Work::tellWriters);
    }

    void open(const DatabaseSettings& settings, std::chrono::milliseconds interval, const QString& schema)
    {
        if (!m_own) {
            return;
        }
        m_own->settings = settings;
        m_db.setServerRetryInterval(interval);
        m_db.setServerSchema(schema);
        m_db.OPEN_DATABASES(settings.strDbType);
        if (!m_db.isOpen()) {
            m_front.reply([f = &m_front] {
                f->m_openAnswered = true;
                Q_EMIT f->opened(false);
            });
        }
    }

    void close()
    {
        if (m_own) {
            m_db.CLOSE_DATABASES();
        }
    }

    void locate(quint64 ticket, const QString& call1, const QString& call2)
    {
        m_lookups.push_back({ticket, call1, call2});
        if (m_lookups.size() == 1 && !m_away) {
            serve();
        }
    }

    void store(SpotWriters::Row row)
    {
        m_writers.storeRow(std::move(row));
        tellWriters();
    }
    void announce(const QString& text, const QVariant& utc) { Announcements::append(m_db, m_log, text, utc); }
    void beginBatch() { m_writers.beginBatch(); }
    void endBatch()
    {
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

    void serve()
    {
        while (!m_lookups.empty()) {
            const Lookup& l = m_lookups.front();
            QString loc1;
            QString loc2;
            if ((!l.call1.isEmpty() && m_calls.lookUp(l.call1, loc1) == CallLocator::LookUp::DatabaseAway) ||
                (!l.call2.isEmpty() && m_calls.lookUp(l.call2, loc2) == CallLocator::LookUp::DatabaseAway)) {
                away();
                return;
            }
            m_front.reply(
                [f = &m_front, ticket = l.ticket, loc1, loc2] { Q_EMIT f->located(ticket, loc1, loc2); });
            m_lookups.pop_front();
        }
        if (m_away) {
            m_away = false;
            m_front.reply([f = &m_front] {
                f->m_lookupWhy = QString();
                Q_EMIT f->storingChanged();
            });
        }
    }

    void away()
    {
        // The kind asked for, not the one last opened: a layer that never opened has none.
        const bool server = m_own ? dialectOfKind(m_own->settings.strDbType) == SqlDialect::Postgres
                                  : m_db.dialect() == SqlDialect::Postgres;
        QString why;
        if (m_db.openFailed()) {
            why = m_db.notOpenText();
        } else if (!m_db.isOpen()) {
            why = QStringLiteral("the databases are closed");
        } else {
            why =
                QStringLiteral("the connection to the database server was lost; tried again every %1 s")
                    .arg(
                        std::chrono::duration_cast<std::chrono::seconds>(m_db.serverRetryInterval()).count());
        }
        if (!m_away || why != m_awayWhy) {
            m_front.reply([f = &m_front, why] {
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
        if (why == m_toldWhy && why.isNull() == m_toldWhy.isNull() && rows == m_toldRows) {
            return;
        }
        m_toldWhy = why;
        m_toldRows = rows;
        m_front.reply([f = &m_front, why, rows] {
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
    ErrorLog& m_log;
    SpotStore& m_front;
    std::deque<Lookup> m_lookups;
    QTimer m_retry;
    bool m_away = false;
    QString m_awayWhy;
    QString m_toldWhy;
    qsizetype m_toldRows = 0;
};

SpotStore::SpotStore(Database* callerLayer, const DataFolder& folder, ErrorLog& log, bool& dbBusy,
                     QObject* parent)
    : QObject(parent)
{
    if (callerLayer) {
        m_work = std::make_unique<Work>(callerLayer, folder, log, &dbBusy, *this);
        return;
    }
    m_ownThread = true;
    m_thread = std::thread([this, &folder, &log] { run(folder, log); });
    {
        // The worker's event loop is there before anything is handed to it.
        std::unique_lock lock(m_mutex);
        m_answered.wait(lock, [this] { return m_pump != nullptr; });
    }
    m_watch.setInterval(500);
    connect(&m_watch, &QTimer::timeout, this, &SpotStore::checkSilence);
    m_watch.start();
    m_progress.start();
}

void SpotStore::run(const DataFolder& folder, ErrorLog& log)
{
    // A thread of the store's own rather than a QThread, so that its start and its end order
    // what it did with what the window's thread does, for the thread checker too.
    QEventLoop loop;
    Pump pump(*this);
    m_loop = &loop;
    m_work = std::make_unique<Work>(nullptr, folder, log, nullptr, *this);
    {
        const std::lock_guard lock(m_mutex);
        m_pump = &pump;
    }
    m_answered.notify_all();
    loop.exec();
}

SpotStore::~SpotStore()
{
    if (!m_ownThread) {
        return;
    }
    // The worker's layer is closed in the thread that opened it, after the work handed over.
    post([this](Work&) {
        m_work.reset();
        m_stopping = true;
        m_loop->quit();
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_answered.notify_all();
    });
    bool finished = false;
    {
        std::unique_lock lock(m_mutex);
        finished =
            m_answered.wait_for(lock, std::chrono::milliseconds(finishWaitMs), [this] { return m_finished; });
    }
    if (finished) {
        m_thread.join();
        return;
    }
    // A statement the database never answers holds the thread: it ends with the process, and
    // what it holds stays with it.
    qCWarning(lcSpots) << "the spot store's thread did not finish; left to end with the program";
    m_thread.detach();
}

void SpotStore::post(std::function<void(Work&)> job)
{
    if (!m_ownThread) {
        job(*m_work);
        return;
    }
    const bool wake = handOver(m_inbox, m_inboxWoken, std::move(job));
    if (m_unanswered++ == 0) {
        m_progress.restart();
    }
    if (wake) {
        QMetaObject::invokeMethod(m_pump, "drain", Qt::QueuedConnection);
    }
}

void SpotStore::drainInbox()
{
    std::deque<std::function<void(Work&)>> jobs = takeOver(m_inbox, m_inboxWoken);
    const qint64 done = qint64(jobs.size());
    for (auto& job : jobs) {
        if (m_work) {
            job(*m_work);
        }
    }
    if (m_stopping) {
        return;
    }
    reply([this, done] {
        m_unanswered -= done;
        m_progress.restart();
        setSilent(false);
    });
}

void SpotStore::reply(std::function<void()> answer)
{
    if (!m_ownThread) {
        answer();
        return;
    }
    const bool wake = handOver(m_outbox, m_outboxWoken, std::move(answer));
    m_answered.notify_all();
    if (wake) {
        QMetaObject::invokeMethod(this, "drainOutbox", Qt::QueuedConnection);
    }
}

void SpotStore::drainOutbox()
{
    std::deque<std::function<void()>> answers = takeOver(m_outbox, m_outboxWoken);
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
        std::unique_lock lock(m_mutex);
        if (!m_answered.wait_until(lock, deadline, [this] { return !m_outbox.empty(); })) {
            return false;
        }
    }
}

void SpotStore::checkSilence()
{
    // A file answers, if late: a lock is reported by the writers when its wait ends.
    if (!m_serverKind) {
        return;
    }
    if (m_unanswered == 0) {
        if (m_progress.elapsed() >= pingInterval.count()) {
            post([](Work& w) { w.ping(); });
        }
        return;
    }
    if (m_progress.elapsed() >= silentAfter.count()) {
        setSilent(true);
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
    post([row = std::move(row)](Work& w) mutable { w.store(std::move(row)); });
}

void SpotStore::announce(const QString& text, const QVariant& utc)
{
    post([text, utc](Work& w) { w.announce(text, utc); });
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
    return m_silent ? QStringLiteral("the database server does not answer") : QString();
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
