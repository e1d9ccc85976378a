#pragma once
// The two spot tables' writers: every processed spot can leave a row in tblAllSpots, and every
// sporadic-E result with a MUF between 0 and 300 MHz a row in tblSPOT. Values arrive as the spot
// record's text and are converted to the column types here; a value that does not convert, or
// a row the database refuses, is logged and lost, and the next spot is written normally.
//
// In server mode a row that fails because the connection is lost waits in a bounded backlog in
// memory, the connection is reopened once per retry interval, and the backlog is written in
// order as soon as the server answers again. A row that fails because the disk is full or the
// file cannot be written waits in the same backlog, with the rows of its transaction that were
// not committed, and the writers try again once per disk retry interval. Such failures are
// logged once per run, with a count; while rows wait, notStoring() says why. A database that
// could not be opened at all keeps the rows back the same way, and the opening is tried again at
// each retry, so they are stored once the file or the server can be opened.

#include "spots/failure_runs.h"
#include "spots/spot_queue.h"

#include <QObject>
#include <QSqlQuery>
#include <QString>
#include <QTimer>
#include <QVariantList>

#include <chrono>
#include <deque>
#include <optional>
#include <vector>

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
    static constexpr std::chrono::milliseconds diskRetryInterval{1000};

    // `dbBusy` is the flag shared with the call/locator look-up: while it is set the writers do
    // nothing at all.
    SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent = nullptr);
    // Rows still waiting for the server are lost with the program: logged with their count.
    ~SpotWriters() override;

    // One tblSPOT row from a processed sporadic-E spot and the one figure the queue does not
    // keep; each column is taken from its named queue column, never by position. The spot's
    // line is cut in place to 120 characters (trailing blanks removed) when longer. True when
    // the row was stored.
    bool WRITE_MUF_TO_DB(DxcSpotRecord& spot, const QString& qrbToMidpoint);
    // One tblAllSpots row. Note the order: the frequency comes before the detail text.
    // With the server, a row kept back for a lost connection returns false and is stored later.
    bool WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1, QString& spotCall2,
                          QString& spotLoc2, QString& spotFreq, QString& spotDetail, QString& spotMode);

    // The cut of a spot line to what the tables hold.
    static void cutSpotInfo(QString& text);

    // A converted row and the texts its log line shows; the line itself is only put together
    // when a row fails, not for every row stored.
    struct Row
    {
        bool muf = false;
        QVariantList values;
        QStringList args;
        QString text() const;
    };
    // What WRITE_MUF_TO_DB and WRITE_SPOT_TO_DB do before they store: the caller's texts are cut
    // as they cut them, and a value that does not convert is logged and gives no row. The road
    // converts where it processes the spot and stores where the database is.
    static std::optional<Row> mufRow(DxcSpotRecord& spot, const QString& qrbToMidpoint, ErrorLog& log);
    static std::optional<Row> spotRow(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                      QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                      QString& spotDetail, QString& spotMode, ErrorLog& log);
    // Stores a converted row as the two writers do; true when it was stored.
    bool storeRow(Row row);

    // How many rows may wait for the server or the disk; when full, the oldest go.
    void setBacklogLimit(qsizetype rows) { m_backlogLimit = rows; }
    qsizetype backlogRows() const { return qsizetype(m_backlog.size()); }

    // On SQLite the rows between the two share one transaction: each commit of its own would cost
    // more than the spot's whole calculation. A failed statement leaves an SQLite transaction
    // usable, so one bad row never costs the others; a commit that fails keeps its rows back. On
    // the server every row commits on its own, as there a failed statement voids the transaction.
    void beginBatch();
    void endBatch();

    // Empty while rows are stored; else the caption line that says they are not, why, and how
    // many rows wait.
    QString notStoring() const;
    // Null while rows are stored; else why they are not.
    const QString& notStoringWhy() const { return m_notStoringWhy; }
    // The caption line for spots that wait, and why.
    static QString notStoringText(const QString& why, qsizetype waiting);

Q_SIGNALS:
    // After each stored tblSPOT row: the recent-spot map has something new to draw.
    void mufRowStored();
    // Rows wait in memory (`text` says why and how many; repeated at each failed retry), or,
    // with an empty `text`, every waiting row is stored again.
    void storingChanged(const QString& text);

private:
    // A failure of the database itself rather than of a row: the rows wait. The connection of a
    // file that could not be written is made again before the next try, as SQLite keeps a file
    // it opened read-only that way even once it can be written.
    struct Outcome
    {
        double number = 0;
        bool storageFailure = false;
        bool reconnect = false;
        QString why;
    };
    bool store(Row row);
    Outcome insert(const Row& row);
    void stored(Row& row);
    void keepBack(Row row);
    void writeBacklog();
    bool commitBatch();
    // The open transaction is given up: its rows go back to the head of the backlog.
    void abandonBatch();
    void stall(const Row& row, const Outcome& outcome);
    void storingAgain();
    void tellNotStoring(const QString& why);
    void trimBacklog();
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
    bool m_inBatch = false;
    // Rows inserted in the open transaction, kept until it commits.
    std::vector<Row> m_uncommitted;
    // Set while the disk refuses rows: new rows wait behind the backlog instead of being tried.
    bool m_diskStalled = false;
    // Set when the database refused to write in a way that only a new connection mends.
    bool m_reconnect = false;
    // Null while rows are stored.
    QString m_notStoringWhy;
};

} // namespace zenthra
