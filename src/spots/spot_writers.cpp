#include "spots/spot_writers.h"
#include "platform/legacy_value.h"

#include "shell/error_log.h"
#include "spots/database.h"
#include "spots/spot_queue.h"

#include <QLocale>
#include <QSqlError>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

// Binds values in column order until one does not convert.
class Binder
{
public:
    explicit Binder(QSqlQuery& q) : m_q(q) {}
    bool ok() const { return m_ok; }
    void text(const QString& value)
    {
        if (m_ok) {
            m_q.bindValue(m_index++, value.isNull() ? QStringLiteral("") : value);
        }
    }
    void number(const QString& value)
    {
        if (!m_ok) {
            return;
        }
        const auto v = single(value);
        m_ok = v.has_value();
        if (m_ok) {
            m_q.bindValue(m_index++, *v);
        }
    }
    void dateTime(const QString& value)
    {
        if (!m_ok) {
            return;
        }
        const auto v = date(value);
        m_ok = v.has_value();
        if (m_ok) {
            m_q.bindValue(m_index++, *v);
        }
    }

private:
    QSqlQuery& m_q;
    int m_index = 0;
    bool m_ok = true;
};

// Binds the row's values and runs the prepared insert: 0 when the row is stored, else the
// error number (13 for a value that does not convert, the database's number otherwise).
double runInsert(QSqlQuery& query, const std::function<void(Binder&)>& bind)
{
    Binder b(query);
    bind(b);
    double number = 0;
    if (!b.ok()) {
        number = SpotWriters::errTypeMismatch;
    } else if (!query.exec()) {
        number = Database::failureOf(query.lastError()).number;
    }
    query.finish();
    return number;
}

} // namespace

SpotWriters::SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent)
    : QObject(parent), m_db(db), m_log(log), m_dbBusy(dbBusy)
{
    // A closed connection leaves the prepared statements without a driver: drop them.
    connect(&m_db, &Database::databasesClosed, this, [this] {
        m_mufInsert = QSqlQuery();
        m_spotInsert = QSqlQuery();
        m_mufConnection.clear();
        m_spotConnection.clear();
    });
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
    double number = errTypeMismatch;
    QString why;
    bool ok = prepared(m_mufInsert, m_mufConnection, mufInsertSql, &number, &why);
    if (ok) {
        number = runInsert(m_mufInsert, [&](Binder& b) {
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
        });
        ok = number == 0;
    }
    if (!ok) {
        const QStringList args = {dxDateTime, dxCall1, dxLoc1,   dxCall2,   dxLoc2,   freq, qtf1,
                                  elev1,      qrb1,    spotInfo, centreLoc, critFreq, muf,  tryFrom,
                                  tryTo,      qtf2,    elev2,    qrb2,      fot};
        m_log.WRITE_ERROR_LOG(number,
                              QStringLiteral("WRITE_MUF_TO_DB(") + args.join(QStringLiteral(", ")) + u')');
        m_dbBusy = false;
        return false;
    }
    m_dbBusy = false;
    Q_EMIT mufRowStored();
    return true;
}

bool SpotWriters::WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                   QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                   QString& spotDetail, QString& spotMode)
{
    if (m_dbBusy) {
        return false;
    }
    m_dbBusy = true;
    double number = errTypeMismatch;
    QString why;
    bool ok = prepared(m_spotInsert, m_spotConnection, spotInsertSql, &number, &why);
    if (ok) {
        number = runInsert(m_spotInsert, [&](Binder& b) {
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
        });
        ok = number == 0;
    }
    if (!ok) {
        const QStringList args = {spotDate, spotCall1, spotLoc1, spotCall2, spotLoc2, spotFreq, spotDetail};
        m_log.WRITE_ERROR_LOG(number,
                              QStringLiteral("WRITE_SPOT_TO_DB(") + args.join(QStringLiteral(", ")) + u')');
    }
    m_dbBusy = false;
    return ok;
}

} // namespace zenthra
