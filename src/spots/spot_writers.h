#pragma once
// The two spot tables' writers: every processed spot can leave a row in tblAllSpots, and every
// sporadic-E result with a MUF between 0 and 300 MHz a row in tblSPOT. Values arrive as the spot
// record's text and are converted to the column types here; a value that does not convert, or
// a row the database refuses, is logged and lost, and the next spot is written normally.
//
// In server mode a row that fails because the connection is lost waits in a bounded backlog in
// memory, the connection is reopened once per retry interval, and the backlog is written in
// order as soon as the server answers again. Such failures are logged once per run, with a count.

#include "spots/failure_runs.h"

#include <QObject>
#include <QSqlQuery>
#include <QString>
#include <QTimer>
#include <QVariantList>

#include <deque>

namespace zenthra {

class Database;
class ErrorLog;

class SpotWriters : public QObject
{
    Q_OBJECT
public:
    static constexpr int spotInfoLength = 120;
    static constexpr double errTypeMismatch = 13;
    static constexpr double errOutOfMemory = 7;
    static constexpr qsizetype defaultBacklogLimit = 10000;

    // `dbBusy` is the flag shared with the call/locator look-up: while it is set the writers do
    // nothing at all.
    SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent = nullptr);
    // Rows still waiting for the server are lost with the program: logged with their count.
    ~SpotWriters() override;

    // One tblSPOT row, the arguments in the table's column order. spotInfo is cut in place to
    // 120 characters (trailing blanks removed) when longer. True when the row was stored.
    bool WRITE_MUF_TO_DB(QString& dxDateTime, QString& dxCall1, QString& dxLoc1, QString& dxCall2,
                         QString& dxLoc2, QString& freq, QString& qtf1, QString& elev1, QString& qrb1,
                         QString& spotInfo, QString& centreLoc, QString& critFreq, QString& muf,
                         QString& tryFrom, QString& tryTo, QString& qtf2, QString& elev2, QString& qrb2,
                         QString& fot, QString& qrbToMidpoint);
    // One tblAllSpots row. Note the order: the frequency comes before the detail text.
    // With the server, a row kept back for a lost connection returns false and is stored later.
    bool WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1, QString& spotCall2,
                          QString& spotLoc2, QString& spotFreq, QString& spotDetail, QString& spotMode);

    // The cut of a spot line to what the tables hold.
    static void cutSpotInfo(QString& text);

    // How many rows may wait for the server; when full, the oldest go.
    void setBacklogLimit(qsizetype rows) { m_backlogLimit = rows; }
    qsizetype backlogRows() const { return qsizetype(m_backlog.size()); }

Q_SIGNALS:
    // After each stored tblSPOT row: the recent-spot map has something new to draw.
    void mufRowStored();

private:
    // A converted row and the texts its log line shows; the line itself is only put together
    // when a row fails, not for every row stored.
    struct Row
    {
        bool muf = false;
        QVariantList values;
        QStringList args;
        QString text() const;
    };
    bool store(Row row);
    double insert(const Row& row);
    void stored(const Row& row);
    void keepBack(Row row);
    void writeBacklog();
    void retryLater(std::chrono::milliseconds delay);
    bool prepared(QSqlQuery& query, QString& connection, const QString& sql, double* number, QString* why);

    Database& m_db;
    ErrorLog& m_log;
    bool& m_dbBusy;
    QSqlQuery m_mufInsert;
    QSqlQuery m_spotInsert;
    QString m_mufConnection;
    QString m_spotConnection;
    FailureRuns m_failures;
    std::deque<Row> m_backlog;
    qsizetype m_backlogLimit = defaultBacklogLimit;
    qint64 m_dropped = 0;
    QTimer m_backlogTimer;
};

} // namespace zenthra
