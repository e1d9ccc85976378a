#include "spots/spot_writers.h"
#include "platform/legacy_value.h"

#include "core/error_log.h"
#include "spots/database.h"
#include "spots/spot_queue.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QSqlError>

#include <algorithm>
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
const QString spotInsertSql =
    QStringLiteral("INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2,"
                   " Spot_Detail, Spot_Freq, Spot_Mode) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");

// A number column takes only a text that is a number as a whole, within single precision. The
// single is stored as the value of its printed form (7 significant digits): the binary
// neighbour 50.1520004272461 of 50.152 would make queries and reports miss the figure shown.
std::optional<double> single(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.6e", static_cast<double>(static_cast<float>(value)));
    return std::strtod(printed, nullptr);
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

} // namespace

SpotWriters::SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent)
    : QObject(parent), m_db(db), m_log(log), m_dbBusy(dbBusy), m_failures(log)
{
    // A closed connection leaves the prepared statements without a driver: drop them.
    connect(&m_db, &Database::databasesClosed, this, [this] {
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

bool SpotWriters::WRITE_MUF_TO_DB(QString& dxDateTime, QString& dxCall1, QString& dxLoc1, QString& dxCall2,
                                  QString& dxLoc2, QString& freq, QString& qtf1, QString& elev1,
                                  QString& qrb1, QString& spotInfo, QString& centreLoc, QString& critFreq,
                                  QString& muf, QString& tryFrom, QString& tryTo, QString& qtf2,
                                  QString& elev2, QString& qrb2, QString& fot, QString& qrbToMidpoint)
{
    if (m_dbBusy) {
        return false;
    }
    m_dbBusy = true;
    Binder b;
    b.dateTime(dxDateTime);
    b.text(dxCall1);
    b.text(dxLoc1);
    b.text(dxCall2);
    b.text(dxLoc2);
    b.number(freq);
    b.number(qtf1);
    b.number(elev1);
    b.number(qrb1);
    if (b.ok()) {
        cutSpotInfo(spotInfo);
    }
    b.text(spotInfo);
    b.text(centreLoc);
    b.number(critFreq);
    b.number(muf);
    b.text(tryFrom);
    b.text(tryTo);
    b.number(qtf2);
    b.number(elev2);
    b.number(qrb2);
    b.number(fot);
    b.number(qrbToMidpoint);
    Row row{true,
            std::move(b.values()),
            {dxDateTime, dxCall1, dxLoc1, dxCall2, dxLoc2, freq, qtf1, elev1, qrb1, spotInfo, centreLoc,
             critFreq, muf, tryFrom, tryTo, qtf2, elev2, qrb2, fot}};
    bool ok = false;
    if (!b.ok()) {
        m_log.WRITE_ERROR_LOG(errTypeMismatch, row.text());
    } else {
        ok = store(std::move(row));
    }
    m_dbBusy = false;
    return ok;
}

bool SpotWriters::WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                   QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                   QString& spotDetail, QString& spotMode)
{
    if (m_dbBusy) {
        return false;
    }
    m_dbBusy = true;
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
    bool ok = false;
    if (!b.ok()) {
        m_log.WRITE_ERROR_LOG(errTypeMismatch, row.text());
    } else {
        ok = store(std::move(row));
    }
    m_dbBusy = false;
    return ok;
}

QString SpotWriters::Row::text() const
{
    return routineOf(muf) + u'(' + args.join(QStringLiteral(", ")) + u')';
}

double SpotWriters::insert(const Row& row)
{
    QSqlQuery& query = row.muf ? m_mufInsert : m_spotInsert;
    double number = 0;
    QString why;
    if (!prepared(query, row.muf ? m_mufConnection : m_spotConnection, row.muf ? mufInsertSql : spotInsertSql,
                  &number, &why)) {
        return number;
    }
    for (int i = 0; i < row.values.size(); ++i) {
        query.bindValue(i, row.values[i]);
    }
    if (!query.exec()) {
        number = Database::failureOf(query.lastError()).number;
    }
    query.finish();
    return number;
}

void SpotWriters::stored(const Row& row)
{
    m_failures.succeeded(routineOf(row.muf));
    if (row.muf) {
        Q_EMIT mufRowStored();
    }
}

bool SpotWriters::store(Row row)
{
    if (!m_backlog.empty()) {
        // Rows go in the order they came: this one waits behind the rows kept back.
        keepBack(std::move(row));
        writeBacklog();
        return m_backlog.empty();
    }
    const double number = insert(row);
    if (number == 0) {
        stored(row);
        return true;
    }
    const bool server = m_db.dialect() == SqlDialect::Postgres;
    if (!server || number != Database::errProviderFailure) {
        m_log.WRITE_ERROR_LOG(number, row.text());
        return false;
    }
    // The backlog tries it again, logs the failure and reopens the connection when it is time.
    keepBack(std::move(row));
    writeBacklog();
    return m_backlog.empty();
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

void SpotWriters::writeBacklog()
{
    QElapsedTimer slice;
    slice.start();
    while (!m_backlog.empty()) {
        const Row& row = m_backlog.front();
        const double number = insert(row);
        if (number == Database::errProviderFailure) {
            m_failures.failed(routineOf(row.muf), number, row.text());
            if (!m_db.recoverLostServer({number, {}})) {
                retryLater(std::max(m_db.serverRetryInterval(), shortestRetry));
                return;
            }
            continue;
        }
        if (number == 0) {
            stored(row);
        } else {
            m_log.WRITE_ERROR_LOG(number, row.text());
        }
        m_backlog.pop_front();
        if (!m_backlog.empty() && slice.elapsed() >= backlogSlice.count()) {
            retryLater(std::chrono::milliseconds(0));
            return;
        }
    }
    if (m_dropped > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory,
                              QStringLiteral("spot backlog full: %1 oldest rows dropped").arg(m_dropped));
        m_dropped = 0;
    }
}

void SpotWriters::retryLater(std::chrono::milliseconds delay)
{
    if (!m_backlogTimer.isActive() || m_backlogTimer.remainingTimeAsDuration() > delay) {
        m_backlogTimer.start(delay);
    }
}

} // namespace zenthra
