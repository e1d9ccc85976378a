#include "database.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/regular_file.h"
#include "platform/text_file.h"
#include "spots/log.h"
#include "spots/server_watch.h"
#include "spots/sqlite_codes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace zenthra {

namespace {

constexpr int serverStatementTimeoutMs = 5000;
constexpr int serverIdleInTransactionMs = 10000;
// Why nothing goes to the server once the program has begun to end.
constexpr const char* endingText = "the program is ending";

// The server field holds a host, optionally followed by ":port".
void splitHost(const QString& server, QString& host, int& port)
{
    host = server;
    port = -1;
    const qsizetype colon = server.lastIndexOf(u':');
    if (colon > 0 && server.count(u':') == 1) {
        bool ok = false;
        const int p = server.mid(colon + 1).toInt(&ok);
        if (ok && p > 0 && p < 65536) {
            host = server.left(colon);
            port = p;
        }
    }
}

// Besides the connection classes of SQLSTATE: Qt refuses a statement on a connection that is not
// open without any error, and a server connection that broke under a statement fails it without
// a SQLSTATE, as no server answered. Every error the databases themselves report has a code.
bool isConnectionFailure(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return error.type() == QSqlError::ConnectionError || error.type() == QSqlError::NoError ||
           code.isEmpty() || code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P"));
}

// Whether this process could open `file` for writing, looked at without opening it: closing a
// descriptor of a database file would drop the locks that the open connections hold on it. A file
// that is not there can be made.
bool writable(const QString& file)
{
    const QByteArray path = QFile::encodeName(file);
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

// The driver's reason in a line for the user: its first line, without Qt's own words.
QString wordsOf(const QSqlError& error)
{
    const QString words = error.databaseText().section(u'\n', 0, 0).simplified();
    return words.isEmpty() ? error.text().simplified() : words;
}

// SQLite gives the journal files of a read-only database its mode, and a later session, with the
// database writable again, could then not write through them: files of ours that their owner may
// not write are made writable for the owner alone again.
void ownerMayWriteJournals(const QString& file)
{
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString journal = file + QLatin1String(suffix);
        const QFileInfo info(journal);
        if (!info.isFile() || info.isSymLink() || info.ownerId() != uint(::geteuid()) ||
            info.permissions().testFlag(QFileDevice::WriteOwner)) {
            continue;
        }
        QFile::setPermissions(journal, textfile::ownerOnly);
    }
}

// The rows of a server's result, read whole while its statement was watched: reading them
// afterwards waits on nothing, and what the caller reads is every row the server sent.
class FetchedRows final : public QSqlResult
{
public:
    FetchedRows(const QSqlDriver* driver, bool select, QSqlRecord record, std::vector<QVariantList> rows,
                int affected)
        : QSqlResult(driver), m_record(std::move(record)), m_rows(std::move(rows)), m_affected(affected)
    {
        setSelect(select);
        setActive(true);
    }

protected:
    QVariant data(int i) override { return m_rows[std::size_t(at())].value(i); }
    bool isNull(int i) override { return data(i).isNull(); }
    bool reset(const QString&) override { return false; }
    bool fetch(int i) override
    {
        if (i < 0 || i >= size()) {
            return false;
        }
        setAt(i);
        return true;
    }
    bool fetchFirst() override { return fetch(0); }
    bool fetchLast() override { return fetch(size() - 1); }
    int size() override { return int(m_rows.size()); }
    int numRowsAffected() override { return m_affected; }
    QSqlRecord record() const override { return m_record; }

private:
    QSqlRecord m_record;
    std::vector<QVariantList> m_rows;
    int m_affected;
};

// Reads every row of a query just run, one at a time as the server sends them; false (with the
// query's error) when the rows did not all come.
bool fetchWhole(QSqlQuery& q, const QSqlDriver* driver, QSqlQuery& rows)
{
    std::vector<QVariantList> read;
    // Read before the rows: a forward-only query names its columns without asking the server.
    const QSqlRecord record = q.record();
    const int columns = record.count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            row.append(q.value(i));
        }
        read.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        return false;
    }
    rows = QSqlQuery(new FetchedRows(driver, q.isSelect(), record, std::move(read), q.numRowsAffected()));
    return true;
}

// Whether the driver holds a session with the server. Asked from another thread while open()
// runs: the driver sets its session once, when the login is done.
bool hasSession(const QSqlDatabase& db)
{
    const QSqlDriver* driver = db.driver();
    const QVariant handle = driver ? driver->handle() : QVariant();
    return handle.isValid() &&
           (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0) &&
           *static_cast<void* const*>(handle.constData()) != nullptr;
}

// The driver's opening has statements of its own after the login (the server's version, the
// encoding, the date style) before open() returns, where no statement of ours could be watched.
// A thread of the opening's own arms the watch over the session as soon as the driver has one,
// and keeps it armed until open() returns.
class OpeningWatch
{
public:
    OpeningWatch(ServerWatch* watch, const QSqlDatabase& db)
    {
        if (watch) {
            m_thread = std::thread([this, watch, db] { run(watch, db); });
        }
    }
    ~OpeningWatch() { finish(); }
    OpeningWatch(const OpeningWatch&) = delete;
    OpeningWatch& operator=(const OpeningWatch&) = delete;

    // Disarms the watch: true when it cut the session.
    bool finish()
    {
        if (m_thread.joinable()) {
            {
                const std::lock_guard lock(m_mutex);
                m_done = true;
            }
            m_changed.notify_all();
            m_thread.join();
        }
        return m_cut;
    }

private:
    void run(ServerWatch* watch, const QSqlDatabase& db)
    {
        std::unique_lock lock(m_mutex);
        std::optional<ServerWatch::Statement> armed;
        while (!m_done) {
            if (!armed && hasSession(db)) {
                armed.emplace(watch, db);
            }
            if (armed) {
                m_changed.wait(lock, [this] { return m_done; });
            } else {
                // The login itself has its own time limit; its end is looked for now and then.
                m_changed.wait_for(lock, std::chrono::milliseconds(5), [this] { return m_done; });
            }
        }
        m_cut = armed && armed->cut();
    }

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    bool m_cut = false;
};

} // namespace

Database::OpenAdvice Database::adviceFor(const QSqlError& error)
{
    switch (sqlite::codeOf(error)) {
    case sqlite::full:
    case sqlite::ioErr:
        return OpenAdvice::FreeSpace;
    case sqlite::perm:
    case sqlite::readOnly:
    case sqlite::cantOpen:
        return OpenAdvice::MakeWritable;
    default:
        return OpenAdvice::MoveOut;
    }
}

Database::Database(DatabaseSettings& settings, const DataFolder& folder, ErrorLog& log,
                   KeywordSeeding seedKeywords, QObject* parent)
    : QObject(parent), m_settings(settings), m_folder(folder), m_log(log),
      m_seedKeywords(std::move(seedKeywords))
{
    m_reconnectLater.setSingleShot(true);
    connect(&m_reconnectLater, &QTimer::timeout, this, &Database::reconnect);
}

Database::~Database()
{
    if (!m_spotsName.isEmpty()) {
        CLOSE_DATABASES();
    }
    endOpenRun(m_openFailure.number);
}

QString Database::connectionName(Store store) const
{
    return QStringLiteral("zenthra.%1.%2.%3")
        .arg(reinterpret_cast<quintptr>(this), 0, 16)
        .arg(m_generation)
        .arg(store == Store::Spots ? QLatin1String("spots") : QLatin1String("callloc"));
}

QString Database::heldText(const QString& words)
{
    return QStringLiteral("another program holds the database (%1)").arg(words);
}

SqlFailure Database::failureOf(const QSqlError& error)
{
    SqlFailure f;
    f.number = isConnectionFailure(error) ? errProviderFailure : errCommandFailed;
    f.text = error.text().simplified();
    // SQLite's own words do not say that it is another program, one the user can close.
    if (sqlite::codeOf(error) == sqlite::busy || sqlite::codeOf(error) == sqlite::locked) {
        f.text = heldText(f.text);
    }
    return f;
}

bool Database::openSqlite(const QString& name, const QString& file, SqlFailure* why)
{
    m_openFailedFile = file;
    // SQLite opens the file itself and would block on a FIFO; a missing file it makes.
    if (lookAtRegular(file) == FileCheck::notRegular) {
        m_openReason = QStringLiteral("not a regular file");
        m_openAdvice = OpenAdvice::MoveOut;
        if (why) {
            *why = {errProviderFailure, QFileInfo(file).fileName() + QStringLiteral(": ") + m_openReason};
        }
        return false;
    }
    // The node tables hold passwords: the file is made for its owner alone before SQLite fills it,
    // and SQLite gives its journal files the database's mode.
    textfile::createFile(file, textfile::ownerOnly);
    ownerMayWriteJournals(file);
    if (!writable(file)) {
        m_unwritable << file;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWait.count()));
    SqlFailure f;
    bool ok = db.open();
    if (!ok) {
        f = {errProviderFailure, db.lastError().text().simplified()};
        m_openReason = wordsOf(db.lastError());
        m_openAdvice = adviceFor(db.lastError());
    } else {
        // WAL with synchronous=NORMAL: a crash of the program loses no committed row and each
        // write is one append. The first statement also proves that the file is a database.
        for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
            QSqlQuery q(db);
            if (!q.exec(QLatin1String(pragma))) {
                f = {errProviderFailure, q.lastError().text().simplified()};
                m_openReason = wordsOf(q.lastError());
                m_openAdvice = adviceFor(q.lastError());
                ok = false;
                break;
            }
        }
    }
    if (!ok && why) {
        why->number = f.number;
        why->text = QFileInfo(file).fileName() + QStringLiteral(": ") + f.text;
    }
    return ok;
}

QString Database::serverConnectOptions() const
{
    // A connection the watch cut may leave its session on the server inside a transaction, holding
    // its table locks until the server sees the connection go, which over a lost path may be
    // hours: the server ends a session left idle in a transaction, as none of ours ever is for
    // long, so the layer's opening is not kept out by its own last session.
    QString settings = QStringLiteral("-c statement_timeout=%1 -c idle_in_transaction_session_timeout=%2")
                           .arg(serverStatementTimeoutMs)
                           .arg(serverIdleInTransactionMs);
    if (!m_serverSchema.isEmpty()) {
        settings += QStringLiteral(" -c search_path=") + m_serverSchema;
    }
    return QStringLiteral("connect_timeout=%1;options='%2'").arg(m_loginWait.count()).arg(settings);
}

bool Database::openServer(const QString& name, SqlFailure* why)
{
    QString host;
    int port = -1;
    splitHost(m_settings.strSqlServer, host, port);
    m_lastServerAttempt.start();
    m_openFailedFile.clear();
    const auto fail = [&](double number, const QString& reason) {
        m_openReason = reason;
        if (why) {
            *why = {number, reason};
        }
        return false;
    };
    // The schema goes into the login's options: nothing but a plain name gets there.
    static const QRegularExpression plainName(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    if (!m_serverSchema.isEmpty() && !plainName.match(m_serverSchema).hasMatch()) {
        return fail(errCommandFailed, QStringLiteral("schema name refused: ") + m_serverSchema);
    }
    if (m_watch) {
        m_watch->setAddress(
            {host, port, m_settings.strSqlDatabase, m_settings.strSqlUser, m_settings.strSqlPassword});
        if (m_watch->stopped()) {
            return fail(errProviderFailure, QString::fromLatin1(endingText));
        }
        // It would wait on the server as a statement would; the watch says when it answers again.
        const QString silence = m_watch->silence();
        if (!silence.isEmpty()) {
            return fail(errProviderFailure, silence);
        }
    }
    // libpq would look each name up itself, on this thread, for as long as the name servers take.
    QString addresses;
    if (m_watch && !host.trimmed().isEmpty()) {
        QStringList hosts;
        QStringList at;
        for (const ServerWatch::Target& t : m_watch->targets(host, m_nameWait)) {
            hosts << t.host;
            at << t.address;
        }
        if (m_watch->stopped()) {
            return fail(errProviderFailure, QString::fromLatin1(endingText));
        }
        if (hosts.isEmpty()) {
            return fail(errProviderFailure, QStringLiteral("no address found for ") + host);
        }
        host = hosts.join(u',');
        if (!std::all_of(at.begin(), at.end(), [](const QString& a) { return a.isEmpty(); })) {
            addresses = at.join(u',');
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(host);
    if (port > 0) {
        db.setPort(port);
    }
    db.setDatabaseName(m_settings.strSqlDatabase);
    db.setUserName(m_settings.strSqlUser);
    db.setPassword(m_settings.strSqlPassword);
    db.setConnectOptions(serverConnectOptions() +
                         (addresses.isEmpty() ? QString() : QStringLiteral(";hostaddr=") + addresses));
    bool opened = false;
    bool cut = false;
    {
        OpeningWatch watch(m_watch.get(), db);
        opened = db.open();
        cut = watch.finish();
    }
    if (cut) {
        db.close();
        if (m_watch->stopped()) {
            return fail(errProviderFailure, QString::fromLatin1(endingText));
        }
        const QString silence = m_watch->silence();
        return fail(errProviderFailure, silence.isEmpty()
                                            ? QStringLiteral("the database server took too long to answer")
                                            : silence);
    }
    if (!opened) {
        m_openReason = wordsOf(db.lastError());
        if (why) {
            *why = {errProviderFailure, QStringLiteral("server %1, database %2: %3")
                                            .arg(m_settings.strSqlServer, m_settings.strSqlDatabase,
                                                 db.lastError().text().simplified())};
        }
        return false;
    }
    return true;
}

void Database::OPEN_DATABASES(const QString& kind)
{
    if (!m_spotsName.isEmpty()) {
        CLOSE_DATABASES();
    }
    const SqlFailure before = m_openFailure;
    // Any opening is as fresh as a reconnection put off would have been.
    m_reconnectLater.stop();
    m_lastOpenAttempt.start();
    m_dialect = dialectOfKind(kind);
    ++m_generation;
    m_spotsName = connectionName(Store::Spots);
    m_openReason.clear();
    m_openAdvice = OpenAdvice::MoveOut;
    m_unwritable.clear();
    // Every statement of the opening, its keyword list's too, fails rather than making the
    // connection anew from within it.
    m_opening = true;
    m_openingTables.reset();
    SqlFailure why;
    bool ok = false;
    if (m_dialect == SqlDialect::Postgres) {
        m_callLocName = m_spotsName;
        ok = openServer(m_spotsName, &why);
    } else {
        m_callLocName = connectionName(Store::CallLoc);
        ok = openSqlite(m_callLocName, m_folder.file(QLatin1String(callLocFileName)), &why) &&
             openSqlite(m_spotsName, m_folder.file(QLatin1String(spotsFileName)), &why);
    }
    if (ok) {
        m_open = true;
        m_cut = false;
        m_lostReason.clear();
        ok = !m_makesSchema || UPGRADE_DB_SCHEMA(&why);
        if (!ok) {
            m_openFailedFile.clear();
            m_openReason.clear();
        }
    }
    if (!ok) {
        if (m_openReason.isEmpty()) {
            m_openReason = why.text;
        }
        const QString line = QStringLiteral("OPEN_DATABASES(") + kind + QStringLiteral("): ") + why.text;
        if (m_retrying && why.number == before.number && line == before.text) {
            ++m_openRepeats;
        } else {
            endOpenRun(before.number);
            m_log.WRITE_ERROR_LOG(why.number, line);
        }
        m_opening = false;
        m_openingTables.reset();
        const bool wasOpen = m_open;
        m_open = false;
        closeConnections();
        if (wasOpen) {
            Q_EMIT databasesClosed();
        }
        // A lost connection that could not be made again stays with the lost server's recovery.
        if (!m_reopening) {
            m_openFailure = {why.number != 0 ? why.number : errProviderFailure, line};
        }
        m_openKind = kind;
        Q_EMIT databasesOpened(false);
        return;
    }
    endOpenRun(before.number);
    m_openFailure = {};
    if (m_seedKeywords) {
        m_seedKeywords(*this);
    }
    m_opening = false;
    m_openingTables.reset();
    qCInfo(lcSpots) << "databases open, kind" << kindLetter(m_dialect);
    Q_EMIT databasesOpened(true);
}

void Database::endOpenRun(double number)
{
    if (m_openRepeats > 0) {
        m_log.WRITE_ERROR_LOG(
            number, QStringLiteral("OPEN_DATABASES(): the same failure %1 more times").arg(m_openRepeats));
    }
    m_openRepeats = 0;
}

bool Database::retryOpen()
{
    if (m_open || !openFailed()) {
        return m_open;
    }
    const auto interval = m_dialect == SqlDialect::Postgres ? m_retryInterval : fileRetryInterval;
    if (m_lastOpenAttempt.isValid() && m_lastOpenAttempt.elapsed() < qint64(interval.count())) {
        return false;
    }
    m_retrying = true;
    OPEN_DATABASES(m_openKind);
    m_retrying = false;
    return m_open;
}

QString Database::notOpenText() const
{
    if (!openFailed()) {
        return {};
    }
    if (m_dialect == SqlDialect::Postgres) {
        return QStringLiteral("server %1, database %2: %3; check that the server runs and the Sql Server"
                              " Settings, tried again every %4 s")
            .arg(m_settings.strSqlServer, m_settings.strSqlDatabase, m_openReason)
            .arg(std::chrono::duration_cast<std::chrono::seconds>(m_retryInterval).count());
    }
    if (m_openFailedFile.isEmpty()) {
        return QStringLiteral("%1: %2; move the databases out of this folder and new ones are made")
            .arg(QDir::toNativeSeparators(m_folder.path()), m_openReason);
    }
    const QFileInfo file(m_openFailedFile);
    QString advice;
    if (!file.exists() && !file.isSymLink()) {
        advice = QStringLiteral("check that the data folder can be written");
    } else {
        switch (m_openAdvice) {
        case OpenAdvice::FreeSpace:
            advice = QStringLiteral("free disk space, or check the disk");
            break;
        case OpenAdvice::MakeWritable:
            advice = QStringLiteral("make the data folder and the file writable");
            break;
        case OpenAdvice::MoveOut:
            advice = QStringLiteral("move it out of the data folder and a new one is made");
            break;
        }
    }
    return QDir::toNativeSeparators(m_openFailedFile) + QStringLiteral(": ") + m_openReason +
           QStringLiteral("; ") + advice;
}

void Database::CLOSE_DATABASES()
{
    const bool wasOpen = m_open;
    m_open = false;
    m_serverLost = false;
    m_reconnectLater.stop();
    // Closed on purpose: the failed opening is no longer to be tried again.
    endOpenRun(m_openFailure.number);
    m_openFailure = {};
    closeConnections();
    if (wasOpen) {
        Q_EMIT databasesClosed();
    }
}

void Database::closeConnections()
{
    for (const QString& name : {m_callLocName, m_spotsName}) {
        if (name.isEmpty() || !QSqlDatabase::contains(name)) {
            continue;
        }
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        // Closed, the connection asks the server nothing more for them.
        m_putAway.clear();
        QSqlDatabase::removeDatabase(name);
    }
    m_callLocName.clear();
    m_spotsName.clear();
}

bool Database::reopenDue() const
{
    const bool server = dialectOfKind(m_settings.strDbType) == SqlDialect::Postgres;
    return !server || !m_lastServerAttempt.isValid() ||
           m_lastServerAttempt.elapsed() >= qint64(m_retryInterval.count());
}

void Database::REOPEN_DATABASES()
{
    // An open layer whose reopen was put off has not recovered: its connection just failed.
    const bool reopened = reopenDue();
    if (reopened) {
        CLOSE_DATABASES();
        m_reopening = true;
        OPEN_DATABASES(m_settings.strDbType);
        m_reopening = false;
        m_serverLost = !m_open && dialectOfKind(m_settings.strDbType) == SqlDialect::Postgres;
    }
    m_log.WRITE_ERROR_LOG(reopened && m_open ? 0 : errProviderFailure, QStringLiteral("SQL_RECOVERY()"));
}

void Database::setServerWatch(std::shared_ptr<ServerWatch> watch)
{
    m_watch = std::move(watch);
}

bool Database::reopenMayWrite() const
{
    return m_unwritable.isEmpty() || std::any_of(m_unwritable.begin(), m_unwritable.end(), writable);
}

void Database::reconnect()
{
    if (!m_open || (m_dialect == SqlDialect::Sqlite && !reopenMayWrite())) {
        return;
    }
    if (m_dialect == SqlDialect::Sqlite && m_lastOpenAttempt.isValid()) {
        const qint64 early = qint64(fileRetryInterval.count()) - m_lastOpenAttempt.elapsed();
        if (early > 0) {
            if (!m_reconnectLater.isActive()) {
                m_reconnectLater.start(std::chrono::milliseconds(early));
            }
            return;
        }
    }
    OPEN_DATABASES(kindLetter(m_dialect));
}

bool Database::recoverLostServer(const SqlFailure& failure)
{
    // A server that does not answer would keep the attempt to connect waiting as well.
    if (dialectOfKind(m_settings.strDbType) != SqlDialect::Postgres || failure.number != errProviderFailure ||
        !reopenDue() || (m_watch && !m_watch->silence().isEmpty())) {
        return false;
    }
    REOPEN_DATABASES();
    return m_open;
}

bool Database::tableExists(Store store, const QString& table)
{
    if (m_opening && m_openingTables) {
        return m_openingTables->contains(table.toLower());
    }
    QSqlQuery q;
    return exec(store, sql(Statement::TableExists), {table}, &q) && q.next() && q.value(0).toInt() > 0;
}

void Database::compactLog(Store store, bool wait)
{
    if (!m_open || m_dialect != SqlDialect::Sqlite) {
        return;
    }
    QSqlQuery q(connection(store));
    if (!wait) {
        (void)q.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    }
    (void)q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    if (!wait) {
        (void)q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyWait.count()));
    }
}

bool Database::UPGRADE_DB_SCHEMA(SqlFailure* why)
{
    if (!m_open) {
        if (why) {
            *why = {errProviderFailure, QStringLiteral("database closed")};
        }
        return false;
    }
    if (m_dialect == SqlDialect::Postgres) {
        return upgradeServerSchema(why);
    }
    // Columns that older databases lack are added before anything relies on them.
    const auto addWhenMissing = [&](const char* table, const char* column, Statement add) {
        QSqlQuery probe;
        SqlFailure failure;
        if (!exec(Store::Spots, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(QLatin1String(table)), {},
                  &probe, &failure)) {
            if (failure.number == errProviderFailure) {
                if (why) {
                    *why = failure;
                }
                return false;
            }
            return true; // no such table yet: it is created whole below
        }
        if (probe.record().indexOf(QLatin1String(column)) >= 0) {
            return true;
        }
        probe = QSqlQuery();
        return exec(Store::Spots, sql(add), {}, nullptr, why);
    };
    if (!addWhenMissing("tblAllSpots", "Spot_Mode", Statement::AddSpotMode) ||
        !addWhenMissing("tblSPOT", "Qrb_To_Midpoint", Statement::AddQrbToMidpoint)) {
        return false;
    }
    for (Statement s : {Statement::CreateDxStation, Statement::IndexDxStation}) {
        if (!exec(Store::CallLoc, sql(s), {}, nullptr, why)) {
            return false;
        }
    }
    const QStringList spotTables = {
        sql(Statement::CreateSpot),
        sql(Statement::CreateAllSpots),
        SET_SQL(4),
        SET_SQL(5),
        sql(Statement::CreateTelnetClx),
        sql(Statement::CreateTelnetWwc),
        sql(Statement::CreateTelnetBbs),
        sql(Statement::IndexSpotDate),
        sql(Statement::IndexAllSpotsDate),
    };
    for (const QString& statement : spotTables) {
        if (!exec(Store::Spots, statement, {}, nullptr, why)) {
            return false;
        }
    }
    return true;
}

bool Database::upgradeServerSchema(SqlFailure* why)
{
    // Over a long path each statement is a round trip: what exists is read in one, and what is
    // missing made in one more, rather than a statement of each kind for every table.
    const QStringList createSql = {
        sql(Statement::CreateDxStation),
        sql(Statement::IndexDxStation),
        sql(Statement::CreateSpot),
        sql(Statement::CreateAllSpots),
        SET_SQL(4),
        SET_SQL(5),
        sql(Statement::CreateTelnetClx),
        sql(Statement::CreateTelnetWwc),
        sql(Statement::CreateTelnetBbs),
        sql(Statement::IndexSpotDate),
        sql(Statement::IndexAllSpotsDate),
    };
    static const QRegularExpression created(QStringLiteral("^CREATE (TABLE|INDEX) IF NOT EXISTS (\\w+)"));
    QStringList tables = {QStringLiteral("tblprop")};
    for (const QString& statement : createSql) {
        const QRegularExpressionMatch m = created.match(statement);
        if (m.hasMatch() && m.captured(1) == QLatin1String("TABLE")) {
            tables.append(m.captured(2).toLower());
        }
    }
    // Our own table names, never outside values.
    QSqlQuery found;
    if (!exec(Store::Spots,
              QStringLiteral(
                  "SELECT lower(table_name), lower(column_name), data_type FROM information_schema.columns"
                  " WHERE table_schema = current_schema() AND table_name IN ('%1')"
                  " UNION ALL SELECT lower(indexname), '', 'index' FROM pg_indexes"
                  " WHERE schemaname = current_schema()")
                  .arg(tables.join(QLatin1String("', '"))),
              {}, &found, why)) {
        return false;
    }
    QSet<QString> objects;
    QHash<QString, QStringList> singles; // columns held as real, by table
    QSet<QString> columns;               // table.column
    while (found.next()) {
        const QString object = found.value(0).toString();
        const QString column = found.value(1).toString();
        objects.insert(object);
        if (!column.isEmpty()) {
            columns.insert(object + u'.' + column);
        }
        if (found.value(2).toString() == QLatin1String("real")) {
            singles[object].append(column);
        }
    }
    QStringList missing;
    const auto addWhenMissing = [&](const char* table, const char* column, Statement add) {
        if (objects.contains(QLatin1String(table)) &&
            !columns.contains(QLatin1String(table) + u'.' + QLatin1String(column))) {
            missing.append(sql(add));
        }
    };
    addWhenMissing("tblallspots", "spot_mode", Statement::AddSpotMode);
    addWhenMissing("tblspot", "qrb_to_midpoint", Statement::AddQrbToMidpoint);
    // Older server tables hold the figures as real, which cannot hold 50.152 itself. The text of
    // a real is its shortest exact form, so going through text keeps what the user saw.
    for (const char* table : {"tblallspots", "tblspot"}) {
        QStringList changes;
        for (const QString& column : singles.value(QLatin1String(table))) {
            changes.append(
                QStringLiteral("ALTER COLUMN %1 TYPE double precision USING %1::text::double precision")
                    .arg(column));
        }
        if (!changes.isEmpty()) {
            missing.append(QStringLiteral("ALTER TABLE %1 ").arg(QLatin1String(table)) + changes.join(u','));
        }
    }
    for (const QString& statement : createSql) {
        const QString object = created.match(statement).captured(2).toLower();
        if (!objects.contains(object)) {
            missing.append(statement);
            objects.insert(object);
        }
    }
    m_openingTables = objects;
    if (missing.isEmpty()) {
        return true;
    }
    // One statement, all or nothing: a block, since the driver would report only the first
    // result of several statements sent together.
    const QString statement = missing.size() == 1
                                  ? missing.first()
                                  : QStringLiteral("DO $zenthra$ BEGIN ") +
                                        missing.join(QLatin1String("; ")) + QStringLiteral("; END $zenthra$");
    return exec(Store::Spots, statement, {}, nullptr, why);
}

void Database::SQL_RECOVERY()
{
    exec(Store::Spots, sql(Statement::DeleteSelfSpots));
}

QString Database::SET_SQL(int number, const QString& arg4, const QString& arg5, const QString& arg6) const
{
    return zenthra::SET_SQL(QString::number(number) + kindLetter(m_dialect), arg4, arg5, arg6);
}

QSqlDatabase Database::connection(Store store) const
{
    const QString& name = store == Store::Spots ? m_spotsName : m_callLocName;
    if (!m_open || name.isEmpty()) {
        return {};
    }
    return QSqlDatabase::database(name, false);
}

template <typename Statement> bool Database::watched(Store store, SqlFailure* why, Statement&& statement)
{
    // Files need no watch: spare them the look-up of the connection, once per row.
    const bool server = m_watch && m_dialect == SqlDialect::Postgres;
    const ServerWatch::Statement watch(server ? m_watch.get() : nullptr,
                                       server ? connection(store) : QSqlDatabase());
    // Queries put away while the server did not answer go first, watched as the statement is.
    m_putAway.clear();
    const bool ok = statement();
    if (watch.cut()) {
        m_cut = true;
        // Said as the user meets it, rather than as the driver saw its socket go.
        const QString silence = m_watch->silence();
        if (!ok && why && !silence.isEmpty()) {
            *why = {errProviderFailure, silence};
        }
    }
    return ok;
}

template <typename Statement> bool Database::attempt(Store store, SqlFailure* why, Statement&& statement)
{
    if (!ready(why)) {
        return false;
    }
    SqlFailure f;
    const bool ok = watched(store, &f, [&] { return statement(f); });
    if (!ok && why) {
        *why = f;
    }
    return ok;
}

QSqlQuery Database::prepare(Store store, const QString& statement, SqlFailure* why)
{
    QSqlQuery q;
    attempt(store, why, [&](SqlFailure& f) {
        q = QSqlQuery(connection(store));
        // A server's rows come whole when the statement runs, under the watch, rather than one by
        // one as the caller reads them.
        q.setForwardOnly(m_dialect != SqlDialect::Postgres);
        const bool ok = q.prepare(statement);
        if (!ok) {
            f = failureIn(store, q.lastError());
        }
        return ok;
    });
    return q;
}

bool Database::ready(SqlFailure* why)
{
    if (m_open && m_watch && m_dialect == SqlDialect::Postgres) {
        if (m_watch->stopped()) {
            // The end of the program: nothing more goes to the server, and a transaction begun on
            // the connection ends with it, undone, as its writer then knows.
            CLOSE_DATABASES();
            if (why) {
                *why = {errProviderFailure, QString::fromLatin1(endingText)};
            }
            return false;
        }
        const QString silence = m_watch->silence();
        if (!silence.isEmpty()) {
            if (why) {
                *why = {errProviderFailure, silence};
            }
            return false;
        }
        // The server answers again: a connection the watch cut is made anew rather than failing
        // the statement (the watch has just seen the server answer), one found lost at most once
        // per retry interval. Not from within an opening, which fails instead.
        if (m_opening && m_cut) {
            if (why) {
                *why = {errProviderFailure, QStringLiteral("connection to the database lost")};
            }
            return false;
        }
        if (!m_opening && (m_cut || (connectionLost() && reopenDue()))) {
            // Made anew as REOPEN_DATABASES makes a lost connection: one that fails leaves the
            // server lost, and says so, rather than an opening that never was.
            m_reopening = true;
            reconnect();
            m_reopening = false;
            m_serverLost = !m_open;
        }
    }
    if (!m_open) {
        if (why) {
            *why = closedFailure();
        }
        return false;
    }
    return true;
}

bool Database::run(Store store, QSqlQuery& query, SqlFailure* why)
{
    return attempt(store, why, [&](SqlFailure& f) {
        const bool done = query.exec();
        if (!done) {
            f = failureIn(store, query.lastError());
        }
        return done;
    });
}

bool Database::onConnection(Store store, SqlFailure* why, bool (QSqlDatabase::*op)())
{
    return attempt(store, why, [&](SqlFailure& f) {
        QSqlDatabase c = connection(store);
        const bool done = (c.*op)();
        if (!done) {
            f = failureIn(store, c.lastError());
        }
        return done;
    });
}

bool Database::transaction(Store store, SqlFailure* why)
{
    return onConnection(store, why, &QSqlDatabase::transaction);
}

bool Database::commit(Store store, SqlFailure* why)
{
    return onConnection(store, why, &QSqlDatabase::commit);
}

bool Database::rollback(Store store)
{
    // Nothing to undo on a connection that cannot be reached: the server ends the transaction
    // with the connection.
    return onConnection(store, nullptr, &QSqlDatabase::rollback);
}

Database::Transaction::Transaction(Database& db, Store store, SqlFailure* why) : m_db(db), m_store(store)
{
    m_begun = m_db.transaction(m_store, why);
}

Database::Transaction::~Transaction()
{
    rollback();
}

bool Database::Transaction::commit(SqlFailure* why)
{
    if (!m_begun) {
        return false;
    }
    m_begun = false;
    if (m_db.commit(m_store, why)) {
        return true;
    }
    m_db.rollback(m_store);
    return false;
}

void Database::Transaction::rollback()
{
    if (m_begun) {
        m_begun = false;
        m_db.rollback(m_store);
    }
}

SqlFailure Database::failureIn(Store store, const QSqlError& error)
{
    SqlFailure f = failureOf(error);
    if (connection(store).isOpen()) {
        return f;
    }
    // The driver closes a connection the server dropped, and a statement on it afterwards fails
    // without a word: it says why the connection went, until the layer is opened again.
    if (!f.text.isEmpty()) {
        m_lostReason = f.text;
    }
    f.number = errProviderFailure;
    f.text = m_lostReason.isEmpty() ? QStringLiteral("connection to the database closed")
                                    : QStringLiteral("connection to the database lost: ") + m_lostReason;
    return f;
}

SqlFailure Database::closedFailure() const
{
    return {errProviderFailure, QStringLiteral("database closed")};
}

bool Database::exec(Store store, const QString& statement, const QVariantList& values, QSqlQuery* result,
                    SqlFailure* why)
{
    // The query is put away within the watch too: a prepared one is deallocated on the server.
    return attempt(store, why, [&](SqlFailure& f) {
        QSqlQuery q(connection(store));
        q.setForwardOnly(true);
        bool done = false;
        if (values.isEmpty()) {
            // Run unprepared: the server cannot prepare table definitions.
            done = q.exec(statement);
        } else {
            done = q.prepare(statement);
            for (const QVariant& v : values) {
                q.addBindValue(v);
            }
            done = done && q.exec();
        }
        if (done && result) {
            if (m_dialect != SqlDialect::Postgres) {
                *result = std::move(q);
            } else if (!fetchWhole(q, q.driver(), *result)) {
                done = false;
            }
        }
        if (!done) {
            f = failureIn(store, q.lastError());
        }
        return done;
    });
}

void Database::putAway(Store store, QSqlQuery& query)
{
    m_putAway.push_back(std::move(query));
    query = QSqlQuery();
    // At once while the server answers; else with the layer's next statement, or its close.
    if (m_dialect != SqlDialect::Postgres || !m_watch || m_watch->silence().isEmpty()) {
        watched(store, nullptr, [] { return true; });
    }
}

Database::Prepared::Prepared(Database& db, Store store, const QString& sql, SqlFailure* why)
    : m_db(db), m_store(store), m_query(db.prepare(store, sql, why))
{
}

Database::Prepared::~Prepared()
{
    m_db.putAway(m_store, m_query);
}

QVariant Database::dateValue(const QDateTime& utc)
{
    if (!utc.isValid()) {
        return QVariant(QMetaType::fromType<QString>());
    }
    return utcText(utc);
}

QDateTime Database::readDate(const QVariant& stored)
{
    if (stored.isNull()) {
        return {};
    }
    if (stored.metaType() == QMetaType::fromType<QDateTime>()) {
        // The server's timestamp carries no zone; its fields are UTC.
        const QDateTime d = stored.toDateTime();
        return QDateTime(d.date(), d.time(), Qt::UTC);
    }
    return utcFromText(stored.toString());
}

} // namespace zenthra
