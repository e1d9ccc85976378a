#include "spots/spot_writers.h"
#include "platform/legacy_value.h"

#include "core/error_log.h"
#include "spots/database.h"
#include "spots/server_watch.h"
#include "spots/spot_queue.h"
#include "spots/sqlite_codes.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QScopedValueRollback>
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

// The columns of the two inserts, in the order of a row's values.
constexpr std::array<const char*, 20> mufColumnNames{
    "DxDateTime", "DxCall1",  "DxLoc1",    "DxCall2",         "DxLoc2", "freq",    "qtf1",  "Elev1",
    "QRB1",       "SpotInfo", "CentreLoc", "critfreq",        "MUF",    "TryFrom", "TryTo", "Qtf2",
    "Elev2",      "QRB2",     "FOT",       "Qrb_To_Midpoint",
};
constexpr std::array<const char*, 8> spotColumnNames{
    "Spot_Date", "Spot_Call1",  "Spot_Loc1", "Spot_Call2",
    "Spot_Loc2", "Spot_Detail", "Spot_Freq", "Spot_Mode",
};

// On the server a transaction's rows go in one statement, whatever their number: each table's
// rows travel as one bound JSON array, read back into the table's own row type so that every value
// meets the column's type and width as a row of its own would. The answer names the transaction,
// known before its commit is sent: when that commit's answer never comes, the server can be asked
// how it ended.
template <size_t N> QString batchInsert(const char* table, const std::array<const char*, N>& columns)
{
    QStringList names;
    for (const char* c : columns) {
        names.append(QString::fromLatin1(c));
    }
    const QString list = names.join(QStringLiteral(", "));
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM json_populate_recordset(NULL::%1, ?::json)"
                          " WITH ORDINALITY AS r ORDER BY r.ordinality RETURNING 1")
        .arg(QString::fromLatin1(table), list);
}
const QString serverBatchSql =
    QStringLiteral("WITH m AS (%1), s AS (%2) SELECT txid_current()")
        .arg(batchInsert("tblSPOT", mufColumnNames), batchInsert("tblAllSpots", spotColumnNames));

template <size_t N> QJsonObject jsonRow(const QVariantList& values, const std::array<const char*, N>& columns)
{
    QJsonObject row;
    for (size_t i = 0; i < N && qsizetype(i) < values.size(); ++i) {
        const QVariant& v = values[qsizetype(i)];
        // The server folds unquoted names to lower case; the keys must meet its names.
        const QString key = QString::fromLatin1(columns[i]).toLower();
        if (v.isNull()) {
            row.insert(key, QJsonValue::Null);
        } else if (v.typeId() == QMetaType::Double) {
            row.insert(key, v.toDouble());
        } else {
            row.insert(key, v.toString());
        }
    }
    return row;
}

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

// On the server each row's insert also says which transaction it ran in: once that transaction's
// commit went unanswered, the server can be asked how it ended.
const QString serverReturning = QStringLiteral(" RETURNING txid_current()");
const QString transactionStatusSql = QStringLiteral("SELECT txid_status(?)");

QString routineOf(bool muf)
{
    return muf ? QStringLiteral("WRITE_MUF_TO_DB") : QStringLiteral("WRITE_SPOT_TO_DB");
}

// The rows of a run of spots as the batch insert binds them: each table's rows, in order.
std::pair<QString, QString> serverBatchRows(std::deque<std::vector<SpotWriters::Row>>::const_iterator from,
                                            std::deque<std::vector<SpotWriters::Row>>::const_iterator to)
{
    QJsonArray muf;
    QJsonArray spots;
    for (auto it = from; it != to; ++it) {
        for (const SpotWriters::Row& row : *it) {
            if (row.muf) {
                muf.append(jsonRow(row.values, mufColumnNames));
            } else {
                spots.append(jsonRow(row.values, spotColumnNames));
            }
        }
    }
    const auto text = [](const QJsonArray& a) {
        return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
    };
    return {text(muf), text(spots)};
}

// A commit the server answered with a refusal of its own (a check put off until the commit, a
// serialization failure) has a known outcome: nothing was written. One whose answer never came,
// or came from the client library alone, is unknown.
bool commitAnswered(const SqlFailure& failure, const QString& state)
{
    return failure.number != Database::errProviderFailure && !state.isEmpty() &&
           !state.startsWith(QLatin1String("08"));
}

// The database could not write at all: a full disk, a file that became unwritable or unreadable,
// or one locked by another program. The row itself is sound and is to be tried again later.
bool sqliteStorageFailure(const QSqlError& error)
{
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
    // The first line: the server adds the statement and where in it the error was.
    QString words = error.databaseText().section(u'\n', 0, 0).simplified();
    if (words.isEmpty()) {
        words = error.text().simplified();
    }
    if (dialect == SqlDialect::Sqlite &&
        (sqlite::codeOf(error) == sqlite::busy || sqlite::codeOf(error) == sqlite::locked)) {
        return Database::heldText(words);
    }
    if (dialect == SqlDialect::Postgres) {
        // The server's own sentence, without the severity and the code the driver adds.
        static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s*"));
        words.remove(severity);
        const QString code = QStringLiteral(" (") + error.nativeErrorCode() + u')';
        if (!error.nativeErrorCode().isEmpty() && words.endsWith(code)) {
            words.chop(code.size());
        }
    }
    return words;
}

qsizetype rowsOf(const std::vector<SpotWriters::Row>& entry)
{
    return qsizetype(entry.size());
}

constexpr const char* notStoringLine = "Spots are not being stored (%1): %2 waiting in memory";
constexpr const char* unfinishedText = "the database server has not finished an earlier write";

} // namespace

SpotWriters::SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent)
    : QObject(parent), m_db(db), m_log(log), m_dbBusy(dbBusy), m_failures(log)
{
    // A closed connection leaves the prepared statements without a driver: drop them.
    connect(&m_db, &Database::databasesClosed, this, [this] {
        ++m_closings;
        // A transaction still open when the connection went is rolled back with it.
        abandonBatch();
        m_mufInsert = QSqlQuery();
        m_spotInsert = QSqlQuery();
        m_batchInsert = QSqlQuery();
        m_batchConnection.clear();
        m_mufConnection.clear();
        m_spotConnection.clear();
    });
    // Reopened by someone else, which shows the database can be reached: the rows kept back for
    // a lost connection can go. An opening of the writers' own, or one while the database
    // refuses to write, changes nothing before the retry is due.
    connect(&m_db, &Database::databasesOpened, this, [this](bool ok) {
        if (ok && !m_writing && !m_stalled && !m_backlog.empty()) {
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
    if (m_rowsNamedByOwner) {
        return;
    }
    qsizetype unknownRows = 0;
    for (qsizetype i = 0; m_unknown && i < m_unknown->entries && i < qsizetype(m_backlog.size()); ++i) {
        unknownRows += rowsOf(m_backlog[size_t(i)]);
    }
    const qsizetype waiting = backlogRows() - unknownRows;
    if (waiting > 0 || m_dropped > 0) {
        m_log.WRITE_ERROR_LOG(
            errOutOfMemory,
            QStringLiteral("spot backlog: %1 rows not written, %2 dropped").arg(waiting).arg(m_dropped));
    }
    if (unknownRows > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory, QStringLiteral("spot backlog: %1 rows perhaps not written, the"
                                                             " server did not answer their commit")
                                                  .arg(unknownRows));
    }
}

void SpotWriters::cutSpotInfo(QString& text)
{
    if (legacy::trim(text).size() > spotInfoLength) {
        text = legacy::trim(text.left(spotInfoLength));
    }
}

SpotWriters::Refusal SpotWriters::refusalOf(const QString& sqlState)
{
    // Class 22, data exception (a text too long, a figure out of range, a byte the encoding does
    // not have); class 23, a constraint the row breaks; the same found at the commit; a row too
    // large for the table.
    if (sqlState.startsWith(QLatin1String("22")) || sqlState.startsWith(QLatin1String("23")) ||
        sqlState == QLatin1String("40002") || sqlState == QLatin1String("54000")) {
        return Refusal::Drop;
    }
    return Refusal::Wait;
}

bool SpotWriters::server() const
{
    return m_db.dialect() == SqlDialect::Postgres;
}

qsizetype SpotWriters::backlogRows() const
{
    return m_backlogRows + (m_head ? 1 : 0);
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
    Entry entry;
    if (m_head && row.muf) {
        // The row its spot's row was to follow never came: it goes alone.
        Entry alone;
        alone.push_back(std::move(*m_head));
        m_head.reset();
        store(std::move(alone));
    } else if (m_head) {
        entry.push_back(std::move(*m_head));
        m_head.reset();
    }
    bool ok = false;
    if (row.spotRowFollows) {
        m_head = std::move(row);
    } else {
        entry.push_back(std::move(row));
        ok = store(std::move(entry));
    }
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

SpotWriters::Outcome SpotWriters::insert(const Row& row, qint64* transaction)
{
    const bool onServer = server();
    QSqlQuery& query = row.muf ? m_mufInsert : m_spotInsert;
    Outcome outcome;
    const QString& sql = row.muf ? mufInsertSql : spotInsertSql;
    if (!prepared(query, row.muf ? m_mufConnection : m_spotConnection, onServer ? sql + serverReturning : sql,
                  &outcome.number, &outcome.why)) {
        // Nothing ran: a closed layer, or a statement the server would not prepare now.
        outcome.fate = outcome.number == Database::errProviderFailure ? Fate::Lost : Fate::Wait;
        if (!onServer && outcome.fate == Fate::Wait) {
            outcome.fate = Fate::Refused;
        }
        return outcome;
    }
    for (int i = 0; i < row.values.size(); ++i) {
        query.bindValue(i, row.values[i]);
    }
    // The one row of the answer comes with it, under the watch, rather than at the first fetch.
    query.setForwardOnly(!onServer);
    SqlFailure failure;
    if (!m_db.run(Store::Spots, query, &failure)) {
        const QSqlError error = query.lastError();
        outcome.number = failure.number;
        // A statement refused or cut as the server does not answer says so, not what the socket did.
        outcome.why = failure.text == QLatin1String(ServerWatch::silenceText)
                          ? failure.text
                          : reasonOf(error, m_db.dialect());
        if (onServer) {
            outcome.fate = failure.number == Database::errProviderFailure        ? Fate::Lost
                           : refusalOf(error.nativeErrorCode()) == Refusal::Drop ? Fate::Refused
                                                                                 : Fate::Wait;
        } else if (sqliteStorageFailure(error)) {
            outcome.fate = Fate::Wait;
            outcome.reconnect = sqlite::codeOf(error) == sqlite::readOnly;
        } else {
            // Qt's driver calls every failed step of a file's statement a connection error: only one
            // without SQLite's own code did not reach the file.
            outcome.fate = error.nativeErrorCode().isEmpty() ? Fate::Lost : Fate::Refused;
        }
    } else if (onServer && transaction && query.next()) {
        *transaction = query.value(0).toLongLong();
    }
    query.finish();
    return outcome;
}

SpotWriters::Outcome SpotWriters::insertEntry(const Entry& entry)
{
    Outcome outcome;
    for (size_t r = 0; r < entry.size() && outcome.fate == Fate::Stored; ++r) {
        outcome = insert(entry[r]);
        outcome.row = qsizetype(r);
    }
    if (outcome.fate != Fate::Stored && outcome.row == 1 && m_inBatch) {
        // The spot's tblSPOT row went in just before, in the same open transaction: it is taken
        // out again (a failed insert leaves the last row id as it was).
        QSqlQuery undo(m_db.connection(Store::Spots));
        (void)undo.exec(QStringLiteral("DELETE FROM tblSPOT WHERE rowid = last_insert_rowid()"));
    }
    return outcome;
}

void SpotWriters::stored(Entry& entry)
{
    for (const Row& row : entry) {
        if (row.muf) {
            Q_EMIT mufRowStored();
        }
    }
    if (m_inBatch) {
        // A run of failures ends when the row is committed, not when it went into the batch.
        m_uncommitted.push_back(std::move(entry));
        return;
    }
    for (const Row& row : entry) {
        m_failures.succeeded(routineOf(row.muf));
    }
}

void SpotWriters::refused(const Entry& entry, const Outcome& outcome)
{
    // The spot's other row goes with it, so that the two tables agree.
    for (const Row& row : entry) {
        m_log.WRITE_ERROR_LOG(outcome.number, row.text());
    }
}

bool SpotWriters::store(Entry entry)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (server() || !m_backlog.empty()) {
        // Rows go in the order they came: this one waits behind the rows kept back, and on the
        // server it goes in a transaction with them. While the database refuses rows, only the
        // retry timer tries again.
        const bool alone = m_backlog.empty();
        keepBack(std::move(entry));
        if (!m_stalled && !m_gathering) {
            writeBacklog(alone);
        }
        return m_backlog.empty();
    }
    // A spot's two rows outside a tick still share a transaction of their own.
    const bool ownBatch = entry.size() > 1 && !m_inBatch;
    if (ownBatch) {
        beginBatch();
    }
    const Outcome outcome = insertEntry(entry);
    if (outcome.fate == Fate::Stored) {
        stored(entry);
        return !ownBatch || commitBatch();
    }
    // A database that could not be opened is a storage failure too: the rows wait until it opens.
    if (outcome.fate == Fate::Wait || m_db.openFailed()) {
        stall(entry[size_t(outcome.row)], outcome);
        keepBack(std::move(entry));
        tellNotStoring(m_db.openFailed() ? m_db.notOpenText() : outcome.why);
        return false;
    }
    if (ownBatch) {
        commitBatch();
    }
    refused(entry, outcome);
    return false;
}

void SpotWriters::stall(const Row& row, const Outcome& outcome)
{
    m_failures.failed(routineOf(row.muf), outcome.number, row.text());
    // The rows the open transaction held are not stored either: they go first.
    abandonBatch();
    m_stalled = true;
    m_reconnect = m_reconnect || outcome.reconnect;
    retryAfter(diskRetryInterval);
}

bool SpotWriters::waitForServer(const Row& row, const Outcome& outcome)
{
    m_failures.failed(routineOf(row.muf), outcome.number, row.text());
    if (m_db.recoverLostServer({outcome.number, {}})) {
        return true;
    }
    tellNotStoring(outcome.why);
    retryAfter(std::max(m_db.serverRetryInterval(), shortestRetry));
    return false;
}

void SpotWriters::keepBack(Entry entry)
{
    const qsizetype rows = rowsOf(entry);
    if (m_backlogLimit < 1) {
        m_dropped += rows;
        return;
    }
    m_backlogRows += rows;
    m_backlog.push_back(std::move(entry));
    trimBacklog();
}

void SpotWriters::trimBacklog()
{
    // The oldest spots go, each with both its rows; a transaction still asked about stays.
    const size_t asked = m_unknown ? size_t(m_unknown->entries) : 0;
    while (m_backlogRows > std::max<qsizetype>(m_backlogLimit, 0) && m_backlog.size() > asked) {
        const auto oldest = m_backlog.begin() + qsizetype(asked);
        m_backlogRows -= rowsOf(*oldest);
        m_dropped += rowsOf(*oldest);
        m_backlog.erase(oldest);
    }
}

void SpotWriters::beginBatch()
{
    if (server()) {
        if (!m_gathering) {
            m_gatheredAlone = m_backlog.empty();
            m_gathering = true;
        }
    } else if (!m_inBatch && m_db.isOpen()) {
        m_inBatch = m_db.connection(Store::Spots).transaction();
    }
}

void SpotWriters::endBatch()
{
    if (m_head) {
        // The row its spot's row was to follow never came: it goes alone.
        Entry alone;
        alone.push_back(std::move(*m_head));
        m_head.reset();
        store(std::move(alone));
    }
    if (m_gathering) {
        m_gathering = false;
        if (!m_backlog.empty() && !m_stalled) {
            if (m_dbBusy) {
                retryLater(shortestRetry);
            } else {
                m_dbBusy = true;
                writeBacklog(m_gatheredAlone);
                m_dbBusy = false;
            }
        }
    }
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
        for (const Entry& entry : m_uncommitted) {
            for (const Row& row : entry) {
                (row.muf ? muf : spot) = true;
            }
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
    Outcome outcome{Fate::Wait, Database::errCommandFailed, sqlite::codeOf(error) == sqlite::readOnly,
                    reasonOf(error, m_db.dialect())};
    if (!sqliteStorageFailure(error)) {
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
    const Row first = m_uncommitted.front().front();
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
        m_backlogRows += rowsOf(*it);
        m_backlog.push_front(std::move(*it));
    }
    m_uncommitted.clear();
}

void SpotWriters::writeBacklog(bool whole)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (m_reconnect && !m_inBatch && m_db.isOpen()) {
        m_reconnect = false;
        m_db.reconnect();
    }
    if (m_db.openFailed() && !m_db.retryOpen()) {
        if (!m_backlog.empty()) {
            const Row& front = m_backlog.front().front();
            m_failures.failed(routineOf(front.muf), Database::errProviderFailure, front.text());
        }
        tellNotStoring(m_db.notOpenText());
        retryAfter(diskRetryInterval);
        return;
    }
    if (server()) {
        writeServerBacklog(whole);
        return;
    }
    // Opened on a file now: what the server was asked about is written there.
    m_unknown.reset();
    m_leftOpen.reset();
    QElapsedTimer slice;
    slice.start();
    // A slice of its own shares one transaction too; within a tick it joins the tick's.
    const bool ownBatch = !m_inBatch;
    if (ownBatch) {
        beginBatch();
    }
    const auto finish = [this, ownBatch] { return !ownBatch || !m_inBatch || commitBatch(); };
    while (!m_backlog.empty()) {
        Entry entry = std::move(m_backlog.front());
        m_backlog.pop_front();
        m_backlogRows -= rowsOf(entry);
        const Outcome outcome = insertEntry(entry);
        if (outcome.fate == Fate::Wait || outcome.fate == Fate::Lost) {
            m_backlogRows += rowsOf(entry);
            m_backlog.push_front(std::move(entry));
            const Row& front = m_backlog.front()[size_t(outcome.row)];
            if (outcome.fate == Fate::Lost) {
                // The layer was closed under the rows: they wait for it to open again.
                abandonBatch();
                if (!waitForServer(front, outcome)) {
                    return;
                }
                continue;
            }
            stall(front, outcome);
            trimBacklog();
            tellNotStoring(outcome.why);
            return;
        }
        if (outcome.fate == Fate::Stored) {
            stored(entry);
        } else {
            refused(entry, outcome);
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
    backlogWritten();
}

void SpotWriters::backlogWritten()
{
    if (m_dropped > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory,
                              QStringLiteral("spot backlog full: %1 oldest rows dropped").arg(m_dropped));
        m_dropped = 0;
    }
    storingAgain();
}

int SpotWriters::cutsSoFar() const
{
    const std::shared_ptr<ServerWatch>& watch = m_db.serverWatch();
    return watch ? watch->cuts() : 0;
}

bool SpotWriters::endLeftOpen(Outcome* outcome)
{
    // A transaction left open on a connection that is still the same (its rollback could not be
    // sent) would take the next one's rows in with its own.
    if (!m_leftOpen || *m_leftOpen != m_closings) {
        m_leftOpen.reset();
        return true;
    }
    if (m_db.rollback(Store::Spots) || *m_leftOpen != m_closings) {
        m_leftOpen.reset();
        return true;
    }
    const QString silence = m_db.serverWatch() ? m_db.serverWatch()->silence() : QString();
    *outcome = {Fate::Lost, Database::errProviderFailure, false,
                silence.isEmpty() ? QStringLiteral("connection to the database lost") : silence};
    return false;
}

SpotWriters::Outcome SpotWriters::writeServerTransaction(qsizetype* written, qsizetype* tried)
{
    *written = 0;
    *tried = 0;
    Outcome outcome;
    if (!endLeftOpen(&outcome)) {
        return outcome;
    }
    const quint64 closings = m_closings;
    const int cuts = cutsSoFar();
    // A statement the watch cut, even one that went through, has the layer make its connection
    // anew before the next: a statement after it would run outside this transaction.
    const auto broken = [&] { return m_closings != closings || cutsSoFar() != cuts; };
    const auto lost = [&](const QString& why) {
        return Outcome{Fate::Lost, Database::errProviderFailure, false,
                       why.isEmpty() ? QStringLiteral("connection to the database lost") : why};
    };
    // After a refusal the rows of that transaction go one spot a transaction, until the spot
    // refused is found; else as many as wait, up to a bound in rows.
    const qsizetype entries =
        std::min<qsizetype>(m_singly > 0 ? 1 : serverBatchEntries, qsizetype(m_backlog.size()));
    if (!prepared(m_batchInsert, m_batchConnection, serverBatchSql, &outcome.number, &outcome.why)) {
        outcome.fate = outcome.number == Database::errProviderFailure ? Fate::Lost : Fate::Wait;
        return outcome;
    }
    *tried = entries;
    const auto [mufRows, spotRows] = serverBatchRows(m_backlog.cbegin(), m_backlog.cbegin() + entries);
    SqlFailure failure;
    if (!m_db.transaction(Store::Spots, &failure)) {
        return {failure.number == Database::errProviderFailure ? Fate::Lost : Fate::Wait, failure.number,
                false, failure.text};
    }
    m_leftOpen = m_closings;
    const auto giveUp = [&](Outcome o) {
        if (m_db.rollback(Store::Spots) || m_closings != closings) {
            m_leftOpen.reset();
        }
        return o;
    };
    if (broken()) {
        return giveUp(lost({}));
    }
    m_batchInsert.bindValue(0, mufRows);
    m_batchInsert.bindValue(1, spotRows);
    if (!m_db.run(Store::Spots, m_batchInsert, &failure) || broken()) {
        const QSqlError error = m_batchInsert.lastError();
        m_batchInsert.finish();
        if (failure.number == 0 || failure.number == Database::errProviderFailure) {
            return giveUp(lost(failure.text));
        }
        outcome = {refusalOf(error.nativeErrorCode()) == Refusal::Drop ? Fate::Refused : Fate::Wait,
                   failure.number, false,
                   failure.text == QLatin1String(ServerWatch::silenceText) ? failure.text
                                                                           : reasonOf(error, m_db.dialect())};
        return giveUp(outcome);
    }
    const qint64 transaction = m_batchInsert.next() ? m_batchInsert.value(0).toLongLong() : 0;
    m_batchInsert.finish();
    *written = entries;
    const bool committed = m_db.commit(Store::Spots, &failure);
    if (m_closings != closings) {
        // Made anew before the commit went: the transaction went with the old connection.
        m_leftOpen.reset();
        return lost(failure.text);
    }
    if (committed) {
        m_leftOpen.reset();
        return {};
    }
    const QString state = m_db.connection(Store::Spots).lastError().nativeErrorCode();
    if (commitAnswered(failure, state)) {
        // The server answered the commit with a refusal: nothing of it was written. The server
        // ended the transaction itself.
        m_leftOpen.reset();
        *written = 0;
        return {refusalOf(state) == Refusal::Drop ? Fate::Refused : Fate::Wait, failure.number, false,
                failure.text};
    }
    m_unknown = Unknown{transaction, entries};
    return {Fate::Unknown, failure.number, false, failure.text};
}

void SpotWriters::writeServerBacklog(bool whole)
{
    QElapsedTimer slice;
    slice.start();
    while (!m_backlog.empty()) {
        if (m_unknown && !resolveUnknown()) {
            return;
        }
        if (m_backlog.empty()) {
            break;
        }
        qsizetype written = 0;
        qsizetype tried = 0;
        const Outcome outcome = writeServerTransaction(&written, &tried);
        switch (outcome.fate) {
        case Fate::Stored:
            for (qsizetype i = 0; i < written; ++i) {
                Entry entry = std::move(m_backlog.front());
                m_backlog.pop_front();
                m_backlogRows -= rowsOf(entry);
                stored(entry);
            }
            settled(written);
            // Look-ups wait behind a long backlog: the thread is let go between transactions.
            if (!whole && !m_backlog.empty() && slice.elapsed() >= backlogSlice.count()) {
                retryLater(std::chrono::milliseconds(0));
                return;
            }
            break;
        case Fate::Refused: {
            if (tried > 1) {
                // One of them is refused: they go one a transaction until it is found.
                m_singly = tried;
                break;
            }
            // The transaction was rolled back: the refused spot goes, the others are written again.
            const Entry entry = std::move(m_backlog.front());
            m_backlog.pop_front();
            m_backlogRows -= rowsOf(entry);
            refused(entry, outcome);
            settled(1);
            break;
        }
        case Fate::Wait: {
            // One statement writes both tables: the spot is named by its own row, the last.
            stall(m_backlog.front().back(), outcome);
            trimBacklog();
            tellNotStoring(outcome.why);
            return;
        }
        case Fate::Lost: {
            if (!waitForServer(m_backlog.front().front(), outcome)) {
                return;
            }
            break;
        }
        case Fate::Unknown: {
            const qsizetype waiting = m_backlogRows;
            if (!resolveUnknown()) {
                return;
            }
            if (m_backlogRows == waiting) {
                // The server answered that it did not commit: tried again at the interval, not at once.
                stall(m_backlog.front().front(), outcome);
                tellNotStoring(outcome.why);
                return;
            }
            break;
        }
        }
    }
    backlogWritten();
}

bool SpotWriters::ask(const QString& sql, const QVariantList& values, QSqlQuery* answer, SqlFailure* failure)
{
    *answer = m_db.prepare(Store::Spots, sql, failure);
    if (failure->number != 0) {
        return false;
    }
    answer->setForwardOnly(false);
    for (int i = 0; i < values.size(); ++i) {
        answer->bindValue(i, values[i]);
    }
    return m_db.run(Store::Spots, *answer, failure);
}

bool SpotWriters::resolveUnknown()
{
    const Row front = m_backlog.front().front();
    // Waits for the server as a lost connection does; made again at once, the next try is now.
    const auto wait = [this, &front](const Outcome& outcome) {
        if (waitForServer(front, outcome)) {
            retryLater(std::chrono::milliseconds(0));
        }
        return false;
    };
    Outcome outcome;
    if (!endLeftOpen(&outcome)) {
        return wait(outcome);
    }
    SqlFailure failure;
    QSqlQuery status;
    if (!ask(transactionStatusSql, {m_unknown->transaction}, &status, &failure)) {
        if (failure.number == Database::errProviderFailure) {
            return wait({Fate::Lost, failure.number, false, failure.text});
        }
        // Only a server too old to be asked (class 42: no such function) has the rows written
        // again unasked; any other refusal is asked again at the next try.
        if (!status.lastError().nativeErrorCode().startsWith(QLatin1String("42"))) {
            m_stalled = true;
            tellNotStoring(failure.text);
            retryAfter(diskRetryInterval);
            return false;
        }
    }
    const QString state = failure.number == 0 && status.next() ? status.value(0).toString() : QString();
    status.finish();
    if (state == QLatin1String("committed")) {
        for (qsizetype i = 0; i < m_unknown->entries && !m_backlog.empty(); ++i) {
            Entry entry = std::move(m_backlog.front());
            m_backlog.pop_front();
            m_backlogRows -= rowsOf(entry);
            stored(entry);
        }
        settled(m_unknown->entries);
        m_unknown.reset();
        return true;
    }
    if (state == QLatin1String("in progress")) {
        // The commit has not reached the server process of the connection that was cut, or it is
        // still at work on it: asked again at the next try.
        m_stalled = true;
        tellNotStoring(QString::fromLatin1(unfinishedText));
        retryAfter(diskRetryInterval);
        return false;
    }
    // Rolled back, or a server that cannot say: the rows are written again.
    m_unknown.reset();
    return true;
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
    return notStoringText(m_notStoringWhy, backlogRows());
}

void SpotWriters::tellNotStoring(const QString& why)
{
    m_notStoringWhy = why.isNull() ? QStringLiteral("") : why;
    Q_EMIT storingChanged(notStoring());
}

void SpotWriters::storingAgain()
{
    m_stalled = false;
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

void SpotWriters::retryAfter(std::chrono::milliseconds interval)
{
    m_backlogTimer.start(interval);
}

} // namespace zenthra
