#include "spots/spot_writers.h"
#include "platform/legacy_value.h"

#include "core/error_log.h"
#include "spots/database.h"
#include "spots/server_watch.h"
#include "spots/spot_queue.h"
#include "spots/sqlite_codes.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QSqlError>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace zenthra {

namespace {

const QString mufInsertSql = QStringLiteral(
    "INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, qtf1, Elev1, QRB1, SpotInfo,"
    " CentreLoc, critfreq, MUF, TryFrom, TryTo, Qtf2, Elev2, QRB2, FOT, Qrb_To_Midpoint)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
// tblSPOT's columns in the insert's order, each filled from its column of the queued spot; the
// insert's last column, the distance to the midpoint, is not kept in the queue.
struct MufColumn
{
    SpotColumn from;
    enum Kind
    {
        Date,
        Text,
        Number,
    } kind;
};
constexpr std::array<MufColumn, 19> mufColumns{{
    {colDxDateTime, MufColumn::Date}, {colDxCall1, MufColumn::Text},   {colDxLoc1, MufColumn::Text},
    {colDxCall2, MufColumn::Text},    {colDxLoc2, MufColumn::Text},    {colFreq, MufColumn::Number},
    {colQtf1, MufColumn::Number},     {colElev1, MufColumn::Number},   {colQrb1, MufColumn::Number},
    {colSpotInfo, MufColumn::Text},   {colCentreLoc, MufColumn::Text}, {colCritFreq, MufColumn::Number},
    {colMuf, MufColumn::Number},      {colTryFrom, MufColumn::Text},   {colTryTo, MufColumn::Text},
    {colQtf2, MufColumn::Number},     {colElev2, MufColumn::Number},   {colQrb2, MufColumn::Number},
    {colFot, MufColumn::Number},
}};
const QString spotInsertSql =
    QStringLiteral("INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2,"
                   " Spot_Detail, Spot_Freq, Spot_Mode) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");

// The value of a plain decimal ("-12.5", "50.11"): digits with an optional sign and at most one
// point between digits. Anything else is left to the locale's reading.
std::optional<double> plainDecimal(QStringView text)
{
    constexpr qsizetype longest = 40;
    if (text.isEmpty() || text.size() > longest) {
        return std::nullopt;
    }
    char ascii[longest];
    bool point = false;
    bool digit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            digit = true;
        } else if (c == u'.' && !point && digit && i + 1 < text.size()) {
            point = true;
        } else if (c == u'-' && i == 0) {
        } else {
            return std::nullopt;
        }
        ascii[i] = char(c);
    }
    if (!digit) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), value);
    if (error != std::errc() || end != ascii + text.size()) {
        return std::nullopt;
    }
    return value;
}

// A number column takes only a text that is a number as a whole, within single precision. The
// single is stored as the value of its printed form (7 significant digits): the binary
// neighbour 50.1520004272461 of 50.152 would make queries and reports miss the figure shown.
std::optional<double> single(const QString& text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    std::optional<double> read = plainDecimal(trimmed);
    if (!read) {
        bool ok = false;
        const double value = QLocale::c().toDouble(trimmed, &ok);
        if (!ok) {
            return std::nullopt;
        }
        read = value;
    }
    const double value = *read;
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    char printed[32];
    const auto out = std::to_chars(printed, printed + sizeof printed, static_cast<float>(value),
                                   std::chars_format::scientific, 6);
    double stored = 0;
    std::from_chars(printed, out.ptr, stored);
    return stored;
}

std::optional<QVariant> date(const QString& text)
{
    const QDateTime d = readSpotTime(text);
    if (!d.isValid()) {
        return std::nullopt;
    }
    return Database::dateValue(d);
}

// Converts values in column order until one does not convert.
class Binder
{
public:
    bool ok() const { return m_ok; }
    QVariantList& values() { return m_values; }
    void text(const QString& value)
    {
        if (m_ok) {
            m_values.append(value.isNull() ? QStringLiteral("") : value);
        }
    }
    void number(const QString& value) { add(single(value)); }
    void dateTime(const QString& value) { add(date(value)); }

private:
    template <typename T> void add(const std::optional<T>& v)
    {
        if (m_ok) {
            m_ok = v.has_value();
            if (m_ok) {
                m_values.append(QVariant::fromValue(*v));
            }
        }
    }
    QVariantList m_values;
    bool m_ok = true;
};

// Rows kept back are written in slices of about this long, so the window stays responsive.
constexpr auto backlogSlice = std::chrono::milliseconds(50);
constexpr auto shortestRetry = std::chrono::milliseconds(100);

QString routineOf(bool muf)
{
    return muf ? QStringLiteral("WRITE_MUF_TO_DB") : QStringLiteral("WRITE_SPOT_TO_DB");
}

// The database could not write at all: a full disk, a file that became unwritable or unreadable,
// or one locked by another program. The row itself is sound and is to be tried again later.
bool storageFailure(const QSqlError& error, SqlDialect dialect)
{
    if (dialect == SqlDialect::Postgres) {
        // Class 53, insufficient resources: disk full, out of memory, too many connections.
        return error.nativeErrorCode().startsWith(QLatin1String("53"));
    }
    switch (sqlite::codeOf(error)) {
    case sqlite::busy:
    case sqlite::locked:
    case sqlite::readOnly:
    case sqlite::ioErr:
    case sqlite::full:
    case sqlite::cantOpen:
        return true;
    default:
        return false;
    }
}

// The reason the caption gives: the driver's words, and for a lock who holds it, as SQLite's own
// words do not say that it is another program the user can close.
QString reasonOf(const QSqlError& error, SqlDialect dialect)
{
    QString words = error.databaseText().simplified();
    if (words.isEmpty()) {
        words = error.text().simplified();
    }
    if (dialect == SqlDialect::Sqlite &&
        (sqlite::codeOf(error) == sqlite::busy || sqlite::codeOf(error) == sqlite::locked)) {
        return Database::heldText(words);
    }
    return words;
}

constexpr const char* notStoringLine = "Spots are not being stored (%1): %2 waiting in memory";

} // namespace

SpotWriters::SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent)
    : QObject(parent), m_db(db), m_log(log), m_dbBusy(dbBusy), m_failures(log)
{
    // A closed connection leaves the prepared statements without a driver: drop them.
    connect(&m_db, &Database::databasesClosed, this, [this] {
        // A transaction still open when the connection went is rolled back with it.
        abandonBatch();
        m_mufInsert = QSqlQuery();
        m_spotInsert = QSqlQuery();
        m_mufConnection.clear();
        m_spotConnection.clear();
    });
    // Reopened by whoever noticed first: the rows kept back can go.
    connect(&m_db, &Database::databasesOpened, this, [this](bool ok) {
        if (ok && !m_backlog.empty()) {
            retryLater(std::chrono::milliseconds(0));
        }
    });
    m_backlogTimer.setSingleShot(true);
    connect(&m_backlogTimer, &QTimer::timeout, this, [this] {
        if (m_dbBusy) {
            retryLater(shortestRetry);
            return;
        }
        m_dbBusy = true;
        writeBacklog();
        m_dbBusy = false;
    });
}

SpotWriters::~SpotWriters()
{
    if (!m_backlog.empty() || m_dropped > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory, QStringLiteral("spot backlog: %1 rows not written, %2 dropped")
                                                  .arg(m_backlog.size())
                                                  .arg(m_dropped));
    }
}

void SpotWriters::cutSpotInfo(QString& text)
{
    if (legacy::trim(text).size() > spotInfoLength) {
        text = legacy::trim(text.left(spotInfoLength));
    }
}

bool SpotWriters::prepared(QSqlQuery& query, QString& connection, const QString& sql, double* number,
                           QString* why)
{
    const QString current = m_db.connection(Store::Spots).connectionName();
    if (!m_db.isOpen() || current.isEmpty()) {
        *number = Database::errProviderFailure;
        *why = QStringLiteral("database closed");
        return false;
    }
    if (connection != current) {
        SqlFailure failure;
        query = m_db.prepare(Store::Spots, sql, &failure);
        if (failure.number != 0) {
            *number = failure.number;
            *why = failure.text;
            connection.clear();
            query = QSqlQuery();
            return false;
        }
        connection = current;
    }
    return true;
}

std::optional<SpotWriters::Row> SpotWriters::mufRow(DxcSpotRecord& spot, const QString& qrbToMidpoint,
                                                    ErrorLog& log)
{
    Binder b;
    QStringList args;
    args.reserve(qsizetype(mufColumns.size()));
    for (const MufColumn& c : mufColumns) {
        QString& value = spot[c.from];
        switch (c.kind) {
        case MufColumn::Date:
            b.dateTime(value);
            break;
        case MufColumn::Text:
            if (c.from == colSpotInfo && b.ok()) {
                cutSpotInfo(value);
            }
            b.text(value);
            break;
        case MufColumn::Number:
            b.number(value);
            break;
        }
        args.append(value);
    }
    b.number(qrbToMidpoint);
    Row row{true, std::move(b.values()), std::move(args)};
    if (!b.ok()) {
        log.WRITE_ERROR_LOG(errTypeMismatch, row.text());
        return std::nullopt;
    }
    return row;
}

std::optional<SpotWriters::Row> SpotWriters::spotRow(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                                     QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                                     QString& spotDetail, QString& spotMode, ErrorLog& log)
{
    Binder b;
    b.dateTime(spotDate);
    b.text(spotCall1);
    b.text(spotLoc1);
    b.text(spotCall2);
    b.text(spotLoc2);
    if (b.ok()) {
        cutSpotInfo(spotDetail);
    }
    b.text(spotDetail);
    b.number(spotFreq);
    b.text(spotMode);
    Row row{false,
            std::move(b.values()),
            {spotDate, spotCall1, spotLoc1, spotCall2, spotLoc2, spotFreq, spotDetail}};
    if (!b.ok()) {
        log.WRITE_ERROR_LOG(errTypeMismatch, row.text());
        return std::nullopt;
    }
    return row;
}

bool SpotWriters::storeRow(Row row)
{
    if (m_dbBusy) {
        return false;
    }
    m_dbBusy = true;
    const bool ok = store(std::move(row));
    m_dbBusy = false;
    return ok;
}

bool SpotWriters::WRITE_MUF_TO_DB(DxcSpotRecord& spot, const QString& qrbToMidpoint)
{
    if (m_dbBusy) {
        return false;
    }
    std::optional<Row> row = mufRow(spot, qrbToMidpoint, m_log);
    return row && storeRow(std::move(*row));
}

bool SpotWriters::WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                   QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                   QString& spotDetail, QString& spotMode)
{
    if (m_dbBusy) {
        return false;
    }
    std::optional<Row> row =
        spotRow(spotDate, spotCall1, spotLoc1, spotCall2, spotLoc2, spotFreq, spotDetail, spotMode, m_log);
    return row && storeRow(std::move(*row));
}

QString SpotWriters::Row::text() const
{
    return routineOf(muf) + u'(' + args.join(QStringLiteral(", ")) + u')';
}

SpotWriters::Outcome SpotWriters::insert(const Row& row)
{
    QSqlQuery& query = row.muf ? m_mufInsert : m_spotInsert;
    Outcome outcome;
    if (!prepared(query, row.muf ? m_mufConnection : m_spotConnection, row.muf ? mufInsertSql : spotInsertSql,
                  &outcome.number, &outcome.why)) {
        return outcome;
    }
    for (int i = 0; i < row.values.size(); ++i) {
        query.bindValue(i, row.values[i]);
    }
    SqlFailure failure;
    if (!m_db.run(Store::Spots, query, &failure)) {
        const QSqlError error = query.lastError();
        outcome.number = failure.number;
        outcome.storageFailure = storageFailure(error, m_db.dialect());
        outcome.reconnect = m_db.dialect() == SqlDialect::Sqlite && sqlite::codeOf(error) == sqlite::readOnly;
        // A statement refused or cut as the server does not answer says so, not what the socket did.
        outcome.why = failure.text == QLatin1String(ServerWatch::silenceText)
                          ? failure.text
                          : reasonOf(error, m_db.dialect());
    }
    query.finish();
    return outcome;
}

void SpotWriters::stored(Row& row)
{
    if (row.muf) {
        Q_EMIT mufRowStored();
    }
    if (m_inBatch) {
        // A run of failures ends when the row is committed, not when it went into the batch.
        m_uncommitted.push_back(std::move(row));
    } else {
        m_failures.succeeded(routineOf(row.muf));
    }
}

bool SpotWriters::store(Row row)
{
    if (!m_backlog.empty()) {
        // Rows go in the order they came: this one waits behind the rows kept back. While the
        // disk refuses rows, only the retry timer tries again.
        keepBack(std::move(row));
        if (!m_diskStalled) {
            writeBacklog();
        }
        return m_backlog.empty();
    }
    const Outcome outcome = insert(row);
    if (outcome.number == 0) {
        stored(row);
        return true;
    }
    // A database that could not be opened is a storage failure too: the rows wait until it opens.
    if (outcome.storageFailure || m_db.openFailed()) {
        stall(row, outcome);
        keepBack(std::move(row));
        tellNotStoring(m_db.openFailed() ? m_db.notOpenText() : outcome.why);
        return false;
    }
    const bool server = m_db.dialect() == SqlDialect::Postgres;
    if (!server || outcome.number != Database::errProviderFailure) {
        m_log.WRITE_ERROR_LOG(outcome.number, row.text());
        return false;
    }
    // The backlog tries it again, logs the failure and reopens the connection when it is time.
    keepBack(std::move(row));
    writeBacklog();
    return m_backlog.empty();
}

void SpotWriters::stall(const Row& row, const Outcome& outcome)
{
    m_failures.failed(routineOf(row.muf), outcome.number, row.text());
    // The rows the open transaction held are not stored either: they go first.
    abandonBatch();
    m_diskStalled = true;
    m_reconnect = m_reconnect || outcome.reconnect;
    retryLater(diskRetryInterval);
}

void SpotWriters::keepBack(Row row)
{
    if (m_backlogLimit < 1) {
        ++m_dropped;
        return;
    }
    while (qsizetype(m_backlog.size()) >= m_backlogLimit) {
        m_backlog.pop_front();
        ++m_dropped;
    }
    m_backlog.push_back(std::move(row));
}

void SpotWriters::trimBacklog()
{
    while (!m_backlog.empty() && qsizetype(m_backlog.size()) > std::max<qsizetype>(m_backlogLimit, 0)) {
        m_backlog.pop_front();
        ++m_dropped;
    }
}

void SpotWriters::beginBatch()
{
    if (!m_inBatch && m_db.isOpen() && m_db.dialect() == SqlDialect::Sqlite) {
        m_inBatch = m_db.connection(Store::Spots).transaction();
    }
}

void SpotWriters::endBatch()
{
    if (m_inBatch) {
        commitBatch();
    }
}

bool SpotWriters::commitBatch()
{
    QSqlDatabase c = m_db.connection(Store::Spots);
    // Run as a statement of its own, so a failure carries the database's error code.
    QSqlQuery commit(c);
    if (commit.exec(QStringLiteral("COMMIT"))) {
        m_inBatch = false;
        bool muf = false;
        bool spot = false;
        for (const Row& row : m_uncommitted) {
            (row.muf ? muf : spot) = true;
        }
        m_uncommitted.clear();
        if (muf) {
            m_failures.succeeded(routineOf(true));
        }
        if (spot) {
            m_failures.succeeded(routineOf(false));
        }
        return true;
    }
    const QSqlError error = commit.lastError();
    commit.finish();
    Outcome outcome{Database::errCommandFailed, storageFailure(error, m_db.dialect()),
                    m_db.dialect() == SqlDialect::Sqlite && sqlite::codeOf(error) == sqlite::readOnly,
                    reasonOf(error, m_db.dialect())};
    if (!outcome.storageFailure) {
        // Not a matter of room: the rows that went in are lost, as a refused row is.
        m_log.WRITE_ERROR_LOG(Database::errCommandFailed, QStringLiteral("tmrProcessSpot_Timer()"));
        c.rollback();
        m_inBatch = false;
        m_uncommitted.clear();
        return false;
    }
    if (m_uncommitted.empty()) {
        abandonBatch();
        return false;
    }
    const Row first = m_uncommitted.front();
    stall(first, outcome);
    trimBacklog();
    tellNotStoring(outcome.why);
    return false;
}

void SpotWriters::abandonBatch()
{
    if (!m_inBatch) {
        return;
    }
    m_inBatch = false;
    if (m_db.isOpen()) {
        m_db.connection(Store::Spots).rollback();
    }
    for (auto it = m_uncommitted.rbegin(); it != m_uncommitted.rend(); ++it) {
        m_backlog.push_front(std::move(*it));
    }
    m_uncommitted.clear();
}

void SpotWriters::writeBacklog()
{
    if (m_reconnect && !m_inBatch && m_db.isOpen()) {
        m_reconnect = false;
        m_db.reconnect();
    }
    if (m_db.openFailed() && !m_db.retryOpen()) {
        if (!m_backlog.empty()) {
            const Row& front = m_backlog.front();
            m_failures.failed(routineOf(front.muf), Database::errProviderFailure, front.text());
        }
        tellNotStoring(m_db.notOpenText());
        retryLater(diskRetryInterval);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    // A slice of its own shares one transaction too; within a tick it joins the tick's.
    const bool ownBatch = !m_inBatch;
    if (ownBatch) {
        beginBatch();
    }
    const auto finish = [this, ownBatch] { return !ownBatch || !m_inBatch || commitBatch(); };
    while (!m_backlog.empty()) {
        Row row = std::move(m_backlog.front());
        m_backlog.pop_front();
        const Outcome outcome = insert(row);
        if (outcome.storageFailure) {
            m_backlog.push_front(std::move(row));
            const Row& front = m_backlog.front();
            stall(front, outcome);
            trimBacklog();
            tellNotStoring(outcome.why);
            return;
        }
        if (outcome.number == Database::errProviderFailure) {
            m_failures.failed(routineOf(row.muf), outcome.number, row.text());
            m_backlog.push_front(std::move(row));
            if (!m_db.recoverLostServer({outcome.number, {}})) {
                tellNotStoring(outcome.why);
                retryLater(std::max(m_db.serverRetryInterval(), shortestRetry));
                return;
            }
            continue;
        }
        if (outcome.number == 0) {
            stored(row);
        } else {
            m_log.WRITE_ERROR_LOG(outcome.number, row.text());
        }
        if (!m_backlog.empty() && slice.elapsed() >= backlogSlice.count()) {
            if (finish()) {
                retryLater(std::chrono::milliseconds(0));
            }
            return;
        }
    }
    if (!finish()) {
        return;
    }
    if (m_dropped > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory,
                              QStringLiteral("spot backlog full: %1 oldest rows dropped").arg(m_dropped));
        m_dropped = 0;
    }
    storingAgain();
}

QString SpotWriters::notStoringText(const QString& why, qsizetype waiting)
{
    return QString::fromLatin1(notStoringLine).arg(why).arg(waiting);
}

QString SpotWriters::notStoring() const
{
    if (m_notStoringWhy.isNull()) {
        return {};
    }
    return notStoringText(m_notStoringWhy, qsizetype(m_backlog.size()));
}

void SpotWriters::tellNotStoring(const QString& why)
{
    m_notStoringWhy = why.isNull() ? QStringLiteral("") : why;
    Q_EMIT storingChanged(notStoring());
}

void SpotWriters::storingAgain()
{
    m_diskStalled = false;
    if (!m_notStoringWhy.isNull() && m_backlog.empty()) {
        m_notStoringWhy = QString();
        Q_EMIT storingChanged({});
    }
}

void SpotWriters::retryLater(std::chrono::milliseconds delay)
{
    if (!m_backlogTimer.isActive() || m_backlogTimer.remainingTimeAsDuration() > delay) {
        m_backlogTimer.start(delay);
    }
}

} // namespace zenthra
