#pragma once
// The call/locator database tblDxStation: the look-up of a call's newest locator for the spot
// processor, the one routine through which every addition goes (it keeps only the newest entry of
// a call), the import from mini.sqlite, and the search with bearing and distance from home.
// Every value from outside is bound; a delete-then-insert runs in one transaction.

#include "propagation/muf_calcs.h"
#include "spots/failure_runs.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSqlQuery>
#include <QString>

namespace zenthra {

class Database;
class DataFolder;
class ErrorLog;
struct SqlFailure;

class CallLocator : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* miniFileName = "mini.sqlite";
    static constexpr double errValidation = 7777;
    static constexpr int searchLimit = 100;
    // The width of tblDxStation.DxCallsign (varchar(50)), in characters.
    static constexpr qsizetype longestCall = 50;
    static constexpr double errTooLong = 5;

    // `dbBusy` is the flag shared with the spot writers.
    CallLocator(Database& db, const DataFolder& folder, ErrorLog& log, bool& dbBusy,
                QObject* parent = nullptr);

    // The locator of the call's newest row, trimmed; "" when there is none, while the database is
    // busy, or on a failure (logged). In server mode a lost connection is reopened, at most once
    // per retry interval of the database layer however many look-ups fail meanwhile, and the run
    // of look-ups that fail for it is logged once, with its count when it ends.
    QString GET_LOCATOR(const QString& call);
    // GET_LOCATOR that tells a call without a row from a database that could not answer (closed,
    // not opened, or its server lost): then `locator` is empty and the look-up is to be repeated
    // once the database is back.
    enum class LookUp
    {
        Answered,
        DatabaseAway,
    };
    LookUp lookUp(const QString& call, QString& locator);
    // lookUp for many calls at once, each answered as lookUp answers it, the calls' locators as
    // the table held them when asked. On the server they are one statement, whatever their number;
    // on a file each is a look-up of its own. DatabaseAway leaves `locators` as it was.
    LookUp lookUpAll(const QStringList& calls, QHash<QString, QString>& locators);
    // Adds the pair unless a row of that call at least as new exists, after deleting the call's
    // older rows; returns the status text. `call` is trimmed and upper-cased in place.
    QString DX_DATABASE(QString& call, const QString& loc, const QDateTime& entryDate);
    // Imports every row of tblDxStation in mini.sqlite (data folder) through DX_DATABASE. A row
    // whose call is longer than its column is skipped on either database (the server would refuse
    // it, SQLite store it whole): its caption names the row, and one error-log line counts them.
    QString DX_DATABASE_MINI_UPDATE();
    // The search report: up to 100 rows whose call and locator contain the two texts, by call,
    // with the bearing and distance from `homeLocator` when both locators are valid.
    QString Search_Call_loc_DB(const QString& call, const QString& loc, const QString& homeLocator);

    bool miniUpdateRunning() const { return m_miniRunning; }
    // Asks a running import to stop after the row it is at (the rows done stay); the import then
    // returns its usual count. Nothing when no import runs.
    void stopMiniUpdate() { m_miniStop = m_miniRunning; }

Q_SIGNALS:
    // The import runs: its menu item and the "&Update Dx" button are disabled meanwhile.
    void miniUpdateRunningChanged(bool running);
    // The outcome of each imported row, for the caption while the import runs.
    void statusChanged(const QString& text);

private:
    QString dxDatabase(QString& call, const QString& loc, const QDateTime& entryDate, double* errorNumber);

    Database& m_db;
    const DataFolder& m_folder;
    ErrorLog& m_log;
    bool& m_dbBusy;
    MufCalcs m_calcs;
    // Prepares `query` on the look-ups' connection unless it is prepared there already.
    bool preparedLookup(QSqlQuery& query, QString& connection, const QString& sql, SqlFailure* failure);
    LookUp lookUpFailed(QSqlQuery& query, QString& connection, const SqlFailure& failure,
                        const QString& call);

    QSqlQuery m_lookup;
    QString m_lookupConnection;
    QSqlQuery m_lookupAll;
    QString m_lookupAllConnection;
    FailureRuns m_failures;
    bool m_miniRunning = false;
    bool m_miniStop = false;
    quint64 m_miniImports = 0; // names each import's own connection
};

} // namespace zenthra
