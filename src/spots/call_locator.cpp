#include "spots/call_locator.h"

#include "core/error_log.h"
#include "platform/data_folder.h"
#include "platform/legacy_value.h"
#include "platform/regular_file.h"
#include "spots/database.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>

namespace zenthra {

namespace {

const QString lookupSql = QStringLiteral("SELECT DxLocatorID, DxDate FROM tblDxStation"
                                         " WHERE upper(DxCallsign) = upper(?) ORDER BY DxDate DESC LIMIT 1");
// The same for every call of a bound JSON array, in one round trip to the server.
const QString lookupAllSql =
    QStringLiteral("SELECT q.c, (SELECT DxLocatorID FROM tblDxStation WHERE upper(DxCallsign) = upper(q.c)"
                   " ORDER BY DxDate DESC LIMIT 1) FROM json_array_elements_text(?::json) AS q(c)");

QString padded(const QString& text, int width)
{
    return text.left(width).leftJustified(width, u' ');
}

QString dateText(const QDateTime& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

} // namespace

CallLocator::CallLocator(Database& db, const DataFolder& folder, ErrorLog& log, bool& dbBusy, QObject* parent)
    : QObject(parent), m_db(db), m_folder(folder), m_log(log), m_dbBusy(dbBusy), m_calcs(log), m_failures(log)
{
    connect(&m_db, &Database::databasesClosed, this, [this] {
        m_lookup = QSqlQuery();
        m_lookupConnection.clear();
        m_lookupAll = QSqlQuery();
        m_lookupAllConnection.clear();
    });
}

QString CallLocator::GET_LOCATOR(const QString& call)
{
    QString result;
    lookUp(call, result);
    return result;
}

bool CallLocator::preparedLookup(QSqlQuery& query, QString& connection, const QString& sql,
                                 SqlFailure* failure)
{
    if (!m_db.isOpen()) {
        *failure = {Database::errProviderFailure, QStringLiteral("database closed")};
        return false;
    }
    const QString current = m_db.connection(Store::CallLoc).connectionName();
    if (current != connection) {
        query = m_db.prepare(Store::CallLoc, sql, failure);
        const bool ok = failure->number == 0;
        connection = ok ? current : QString();
        return ok;
    }
    return true;
}

CallLocator::LookUp CallLocator::lookUpFailed(QSqlQuery& query, QString& connection,
                                              const SqlFailure& failure, const QString& call)
{
    // A lost server connection, or a database that could not be opened or was closed, fails
    // every look-up until it is back: opened again once per retry interval, and logged once
    // per run. The caller is told, so that the spot waits rather than going on without it.
    const bool server = m_db.dialect() == SqlDialect::Postgres;
    if ((server || m_db.openFailed() || !m_db.isOpen()) && failure.number == Database::errProviderFailure) {
        // Not simply dropped: the server would be asked to forget it, and might not answer.
        m_db.putAway(Store::CallLoc, query);
        connection.clear();
        m_failures.failed(QStringLiteral("GET_LOCATOR"), failure.number,
                          QStringLiteral("GET_LOCATOR(") + call + u')');
        if (m_db.openFailed()) {
            m_db.retryOpen();
        } else {
            m_db.recoverLostServer(failure);
        }
        return LookUp::DatabaseAway;
    }
    m_log.WRITE_ERROR_LOG(failure.number, QStringLiteral("GET_LOCATOR(") + call + u')');
    return LookUp::Answered;
}

CallLocator::LookUp CallLocator::lookUp(const QString& call, QString& locator)
{
    locator.clear();
    if (m_dbBusy) {
        return LookUp::Answered;
    }
    m_dbBusy = true;
    QString result;
    SqlFailure failure;
    bool ok = preparedLookup(m_lookup, m_lookupConnection, lookupSql, &failure);
    if (ok) {
        m_lookup.addBindValue(call);
        ok = m_db.run(Store::CallLoc, m_lookup, &failure);
        if (ok && m_lookup.next()) {
            result = m_lookup.value(0).toString().trimmed();
        }
        m_lookup.finish();
    }
    LookUp outcome = LookUp::Answered;
    if (!ok) {
        outcome = lookUpFailed(m_lookup, m_lookupConnection, failure, call);
        result.clear();
    } else {
        m_failures.succeeded(QStringLiteral("GET_LOCATOR"));
    }
    m_dbBusy = false;
    locator = result;
    return outcome;
}

CallLocator::LookUp CallLocator::lookUpAll(const QStringList& calls, QHash<QString, QString>& locators)
{
    if (m_db.dialect() != SqlDialect::Postgres || calls.size() < 2) {
        QHash<QString, QString> found;
        for (const QString& call : calls) {
            if (lookUp(call, found[call]) == LookUp::DatabaseAway) {
                return LookUp::DatabaseAway;
            }
        }
        locators.insert(found);
        return LookUp::Answered;
    }
    if (m_dbBusy) {
        for (const QString& call : calls) {
            locators.insert(call, QString());
        }
        return LookUp::Answered;
    }
    m_dbBusy = true;
    SqlFailure failure;
    bool ok = preparedLookup(m_lookupAll, m_lookupAllConnection, lookupAllSql, &failure);
    QHash<QString, QString> found;
    if (ok) {
        m_lookupAll.addBindValue(QString::fromUtf8(
            QJsonDocument(QJsonArray::fromStringList(calls)).toJson(QJsonDocument::Compact)));
        ok = m_db.run(Store::CallLoc, m_lookupAll, &failure);
        while (ok && m_lookupAll.next()) {
            found.insert(m_lookupAll.value(0).toString(), m_lookupAll.value(1).toString().trimmed());
        }
        m_lookupAll.finish();
    }
    LookUp outcome = LookUp::Answered;
    if (!ok) {
        // Answered with a failure (logged): every call goes on without a locator, as one would.
        outcome = lookUpFailed(m_lookupAll, m_lookupAllConnection, failure, calls.front());
        found.clear();
        for (const QString& call : calls) {
            found.insert(call, QString());
        }
    } else {
        m_failures.succeeded(QStringLiteral("GET_LOCATOR"));
    }
    m_dbBusy = false;
    if (outcome == LookUp::Answered) {
        locators.insert(found);
    }
    return outcome;
}

QString CallLocator::DX_DATABASE(QString& call, const QString& loc, const QDateTime& entryDate)
{
    double number = 0;
    const QString status = dxDatabase(call, loc, entryDate, &number);
    if (number != 0) {
        m_log.WRITE_ERROR_LOG(number, QStringLiteral("DX_DATABASE(") + call + u',' + loc + u',' +
                                          dateText(entryDate) + u')');
    }
    return status;
}

QString CallLocator::dxDatabase(QString& call, const QString& loc, const QDateTime& entryDate,
                                double* errorNumber)
{
    call = call.trimmed().toUpper();
    QString normalised = loc.trimmed().toUpper();
    const QString l = m_calcs.CHECK_LOCATOR_SYNTAX(normalised);
    if (call.size() < 3 || l.size() < 4) {
        *errorNumber = errValidation;
        return QStringLiteral("ERROR ADDING DX STATION ") + call + QStringLiteral(" in ?") + loc;
    }
    const QString failed =
        QStringLiteral("Zenthra - ERROR ADDING DX STATION ") + call + QStringLiteral("? in ?") + loc;
    if (!m_db.isOpen() || !entryDate.isValid()) {
        *errorNumber = m_db.isOpen() ? 13.0 : Database::errProviderFailure;
        return failed;
    }
    const QVariant when = Database::dateValue(entryDate);
    SqlFailure why;
    const QString added =
        QStringLiteral("Zenthra - ADDED OR UPDATED DX STATION ") + call + QStringLiteral(" in ") + l;
    const QString notModified = QStringLiteral("Zenthra - DX STATION ") + call + QStringLiteral(" in ") + l +
                                QStringLiteral(" NOT MODIFIED");
    if (m_db.dialect() == SqlDialect::Postgres) {
        // One statement, so one transaction and one run on the server rather than a round trip
        // for each step, while the window waits. The insert sees the rows as they were before the
        // delete: a row of the call that the delete leaves (as new or newer, or without a date)
        // keeps the pair out. The values go in as text, so that a call too long for its column is
        // refused as a plain insert refuses it rather than cut to fit.
        QSqlQuery inserted;
        if (!m_db.exec(Store::CallLoc,
                       QStringLiteral(
                           "WITH older AS (DELETE FROM tblDxStation"
                           " WHERE upper(DxCallsign) = upper(?) AND DxDate < CAST(? AS timestamp(0)))"
                           " INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate)"
                           " SELECT CAST(? AS text), CAST(? AS text), CAST(? AS timestamp(0))"
                           " WHERE NOT EXISTS (SELECT 1 FROM tblDxStation WHERE upper(DxCallsign) = upper(?)"
                           " AND (DxDate < CAST(? AS timestamp(0))) IS NOT TRUE) RETURNING 1"),
                       {call, when, call, l, when, call, when}, &inserted, &why)) {
            *errorNumber = why.number != 0 ? why.number : Database::errProviderFailure;
            return failed;
        }
        return inserted.next() ? added : notModified;
    }
    Database::Transaction transaction(m_db, Store::CallLoc);
    QSqlQuery q;
    if (!transaction.begun() ||
        !m_db.exec(
            Store::CallLoc,
            QStringLiteral("DELETE FROM tblDxStation WHERE upper(DxCallsign) = upper(?) AND DxDate < ?"),
            {call, when}, nullptr, &why) ||
        !m_db.exec(Store::CallLoc,
                   QStringLiteral("SELECT count(*) FROM tblDxStation WHERE upper(DxCallsign) = upper(?)"),
                   {call}, &q, &why)) {
        *errorNumber = why.number != 0 ? why.number : Database::errProviderFailure;
        return failed;
    }
    const bool newerExists = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    QString status;
    if (newerExists) {
        status = notModified;
    } else {
        if (!m_db.exec(
                Store::CallLoc,
                QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"),
                {call, l, when}, nullptr, &why)) {
            *errorNumber = why.number;
            return failed;
        }
        status = added;
    }
    if (!transaction.commit()) {
        *errorNumber = Database::errCommandFailed;
        return failed;
    }
    return status;
}

QString CallLocator::DX_DATABASE_MINI_UPDATE()
{
    m_miniRunning = true;
    m_miniStop = false;
    Q_EMIT miniUpdateRunningChanged(true);
    const auto finish = [this](double number, const QString& result) {
        m_miniRunning = false;
        m_miniStop = false;
        Q_EMIT miniUpdateRunningChanged(false);
        if (number != 0) {
            m_log.WRITE_ERROR_LOG(number, QStringLiteral("DX_DATABASE_MINI_UPDATE()"));
        }
        return result;
    };
    const QString fatal = QStringLiteral("Zenthra - A FATAL ERROR HAPPENED");
    const QString file = m_folder.file(QLatin1String(miniFileName));
    if (checkRegular(file) != FileCheck::regular) {
        return finish(Database::errProviderFailure,
                      QStringLiteral("Zenthra Error, make sure %1 is in your zenthra working folder!")
                          .arg(QLatin1String(miniFileName)));
    }
    const QString name = QStringLiteral("zenthra.mini.%1.%2").arg(quintptr(this), 0, 16).arg(++m_miniImports);
    int counter = 0;
    double number = 0;
    QString result;
    {
        QSqlDatabase mini = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        mini.setDatabaseName(file);
        mini.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!mini.open()) {
            number = Database::errProviderFailure;
            result = QStringLiteral("Zenthra Error, make sure %1 is in your zenthra working folder!")
                         .arg(QLatin1String(miniFileName));
        } else {
            QSqlQuery rows(mini);
            rows.setForwardOnly(true);
            if (!rows.exec(QStringLiteral("SELECT DxCallsign, DxLocatorID, DxDate FROM tblDxStation"))) {
                number = Database::failureOf(rows.lastError()).number;
                result = fatal;
            }
            int row = 0;
            int tooLong = 0;
            while (number == 0 && rows.next()) {
                ++row;
                if (rows.value(0).isNull() || rows.value(1).isNull() || rows.value(2).isNull()) {
                    number = 94; // invalid use of Null
                    result = fatal;
                    break;
                }
                QString call = rows.value(0).toString();
                const QString loc = rows.value(1).toString();
                const QDateTime date = Database::readDate(rows.value(2));
                QString check = loc.trimmed().toUpper();
                if (m_calcs.CHECK_LOCATOR_SYNTAX(check).isEmpty()) {
                    continue;
                }
                // Counted in characters, as the server counts its varchar, on the call as stored.
                if (const QString stored = call.trimmed().toUpper();
                    stored.size() > longestCall && stored.toUcs4().size() > longestCall) {
                    ++tooLong;
                    Q_EMIT statusChanged(QStringLiteral("Zenthra - Row %1 of %2: the call is longer than %3 "
                                                        "characters and was skipped.")
                                             .arg(row)
                                             .arg(QLatin1String(miniFileName))
                                             .arg(longestCall));
                    QCoreApplication::processEvents();
                    if (m_miniStop) {
                        break;
                    }
                    continue;
                }
                if (!date.isValid()) {
                    number = 13;
                    result = fatal;
                    break;
                }
                const QString status = DX_DATABASE(call, loc, date);
                Q_EMIT statusChanged(status);
                if (status.startsWith(QLatin1String("Zenthra - ADDED"))) {
                    ++counter;
                }
                // The caption shows each row's outcome while the import runs. What runs meanwhile
                // may ask the import to stop (a shut-down waits for it).
                QCoreApplication::processEvents();
                if (m_miniStop) {
                    break;
                }
            }
            if (tooLong > 0) {
                m_log.WRITE_ERROR_LOG(
                    errTooLong, QStringLiteral("DX_DATABASE_MINI_UPDATE(): rows skipped with a call longer "
                                               "than %1 characters: %2")
                                    .arg(longestCall)
                                    .arg(tooLong));
            }
        }
        mini.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (number != 0) {
        return finish(number, result);
    }
    return finish(0, QStringLiteral("Zenthra - %1 CALL / LOC ADDED OR UPDATED").arg(counter));
}

QString CallLocator::Search_Call_loc_DB(const QString& call, const QString& loc, const QString& homeLocator)
{
    const bool server = m_db.dialect() == SqlDialect::Postgres;
    const QString sql =
        QStringLiteral("SELECT DxCallsign, DxLocatorID, DxDate FROM tblDxStation"
                       " WHERE upper(DxCallsign) LIKE upper(?) AND upper(DxLocatorID) LIKE upper(?)"
                       " ORDER BY DxCallsign%1 LIMIT %2")
            .arg(server ? QStringLiteral(" COLLATE \"C\"") : QString())
            .arg(searchLimit);
    QSqlQuery q;
    SqlFailure why;
    if (!m_db.exec(Store::CallLoc, sql, {u'%' + call + u'%', u'%' + loc + u'%'}, &q, &why)) {
        m_log.WRITE_ERROR_LOG(why.number, QStringLiteral("Search_Call_loc_DB(") + call + u',' + loc + u')');
        return QStringLiteral("Sorry No data returned for ") + call + u' ' + loc +
               QStringLiteral(" (Errors occurred)");
    }
    QString home = homeLocator;
    const QString homeNormalised = m_calcs.CHECK_LOCATOR_SYNTAX(home);
    QString report;
    int rows = 0;
    while (q.next()) {
        ++rows;
        const QString rowCall = q.value(0).toString();
        const QString rowLoc = q.value(1).toString();
        QString distance;
        QString target = rowLoc;
        const QString targetNormalised = m_calcs.CHECK_LOCATOR_SYNTAX(target);
        if (!homeNormalised.isEmpty() && !targetNormalised.isEmpty()) {
            const double lat1 = MufCalcs::LOCATOR_TO_LATITUDE(homeNormalised);
            const double lon1 = MufCalcs::LOCATOR_TO_LONGITUDE(homeNormalised);
            const double lat2 = MufCalcs::LOCATOR_TO_LATITUDE(targetNormalised);
            const double lon2 = MufCalcs::LOCATOR_TO_LONGITUDE(targetNormalised);
            const QString qtf =
                QStringLiteral("000") + legacy::format(m_calcs.CALCULATE_QTF(lat1, lon1, lat2, lon2), u"0");
            distance = QStringLiteral("QTF from ") + homeNormalised + QStringLiteral(" = ") + qtf.right(3) +
                       QStringLiteral(", QRB = ") +
                       legacy::format(m_calcs.CALCULATE_QRB(lat1, lon1, lat2, lon2), u"0") +
                       QStringLiteral("km");
        }
        const QDateTime date = Database::readDate(q.value(2));
        report += padded(rowCall, 16) + u'\t' + padded(rowLoc, 6) + u'\t' + QStringLiteral("(date: ") +
                  QLocale().toString(date, QStringLiteral("dd MMM yy")) + u')' + u'\t' + distance +
                  QStringLiteral("\r\n");
    }
    if (rows == 0) {
        return QStringLiteral("Sorry No data returned for ") + call + u' ' + loc;
    }
    return QStringLiteral("Top 100 search results for: ") + call + u' ' + loc + QStringLiteral("\r\n") +
           report;
}

} // namespace zenthra
