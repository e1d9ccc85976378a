#pragma once
// The two spot tables' writers: every processed spot can leave a row in tblAllSpots, and every
// sporadic-E result with a MUF between 0 and 300 MHz a row in tblSPOT. Values arrive as the spot
// record's text and are converted to the column types here; a value that does not convert, or
// a row the database refuses for the row itself (a value it will never take), is logged and
// lost, and the next spot is written normally.
//
// A spot's two rows are stored together or wait together, so the two tables always agree.
//
// Whatever keeps the database from writing rather than the row waits in a bounded backlog in
// memory and is written again, in order: a lost connection (reopened once per retry interval), a
// full disk or a file that cannot be written, and on the server a refusal for time or a lock
// (its statement limit, a lock it could not take, a deadlock or a serialization failure). Such
// failures are logged once per run, with a count; while rows wait, notStoring() says why, and
// only the retry timer tries again, at its interval. A database that could not be opened at all
// keeps the rows back the same way, and the opening is tried again at each retry.
//
// On the server each write is a transaction whose id is known before its commit is sent: when
// the answer to the commit never comes (the connection was cut or lost), the server is asked,
// once it answers again, whether that transaction committed, so its rows are stored once.

#include "spots/failure_runs.h"
#include "spots/spot_queue.h"

#include <QElapsedTimer>
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
struct SqlFailure;

class SpotWriters : public QObject
{
    Q_OBJECT
public:
    static constexpr int spotInfoLength = 120;
    static constexpr double errTypeMismatch = 13;
    static constexpr double errOutOfMemory = 7;
    static constexpr qsizetype defaultBacklogLimit = 10000;
    // How often rows are tried again while the disk, a lock or the server's time limit refuses
    // them, and how often the server is asked about a commit whose answer never came.
    static constexpr std::chrono::milliseconds diskRetryInterval{1000};
    // On the server, the most spots one transaction writes: their rows go in one statement, so a
    // backlog costs round trips by the transaction, not by the row.
    static constexpr qsizetype serverBatchEntries = 500;

    // `dbBusy` is the flag shared with the call/locator look-up: while it is set the writers do
    // nothing at all.
    SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent = nullptr);
    // Rows still waiting for the server are lost with the program: logged with their count.
    ~SpotWriters() override;
    // At the end: the rows still waiting are named by the owner, who has counted them already.
    void leaveRowsToOwner() { m_rowsNamedByOwner = true; }

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
        // Set on a tblSPOT row whose spot's tblAllSpots row is the next row stored: the two are
        // stored together or not at all.
        bool spotRowFollows = false;
        QString text() const;
    };
    // What WRITE_MUF_TO_DB and WRITE_SPOT_TO_DB do before they store: the caller's texts are cut
    // as they cut them, and a value that does not convert is logged and gives no row. The road
    // converts where it processes the spot and stores where the database is.
    static std::optional<Row> mufRow(DxcSpotRecord& spot, const QString& qrbToMidpoint, ErrorLog& log);
    static std::optional<Row> spotRow(QString& spotDate, QString& spotCall1, QString& spotLoc1,
                                      QString& spotCall2, QString& spotLoc2, QString& spotFreq,
                                      QString& spotDetail, QString& spotMode, ErrorLog& log);
    // Stores a converted row as the two writers do; true when it was stored. A row that waits for
    // the row that follows it is not stored yet.
    bool storeRow(Row row);

    // How many rows may wait for the server or the disk; when full, the oldest spots' rows go.
    void setBacklogLimit(qsizetype rows) { m_backlogLimit = rows; }
    qsizetype backlogRows() const;

    // What the server's refusal of a write means, by its SQLSTATE: a refusal for the row itself
    // (a value the table will never take) loses the row; any other (time, a lock, a full disk,
    // no answer at all, rights or tables that an administrator may mend) has the rows wait.
    enum class Refusal
    {
        Wait,
        Drop,
    };
    static Refusal refusalOf(const QString& sqlState);

    // The rows between the two share one transaction: on SQLite each commit of its own would cost
    // more than the spot's whole calculation, on the server each round trip. A failed statement
    // leaves an SQLite transaction usable, so one bad row never costs the others; a commit that
    // fails keeps its rows back. On the server the rows wait in memory until the end, and a row
    // refused there is left out of the transaction written again without it.
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
    // The rows of one spot, its tblSPOT row first: stored together or not at all.
    using Entry = std::vector<Row>;
    // How a write went.
    enum class Fate
    {
        Stored,
        // The connection is closed or was lost before a commit was sent: nothing was stored.
        Lost,
        // The database could not write now (full, read-only, held, a lock or its time limit).
        Wait,
        // The database refused the row itself.
        Refused,
        // The commit was sent and its answer never came.
        Unknown,
    };
    struct Outcome
    {
        Fate fate = Fate::Stored;
        double number = 0;
        // A file SQLite keeps read-only until its connection is made again.
        bool reconnect = false;
        QString why;
        // Which row of its spot failed.
        qsizetype row = 0;
    };
    // A server transaction whose commit was sent without an answer: its id, and how many entries
    // at the head of the backlog it held.
    struct Unknown
    {
        qint64 transaction = 0;
        qsizetype entries = 0;
    };
    bool server() const;
    bool store(Entry entry);
    Outcome insert(const Row& row, qint64* transaction = nullptr);
    Outcome insertEntry(const Entry& entry);
    void stored(Entry& entry);
    void refused(const Entry& entry, const Outcome& outcome);
    void keepBack(Entry entry);
    // `whole`: the rows are new ones that waited for nothing, all written now; else a backlog,
    // written in slices so that the thread stays free for look-ups.
    void writeBacklog(bool whole = false);
    void writeServerBacklog(bool whole);
    void backlogWritten();
    // One transaction on the server from the head of the backlog, of as many spots as wait up to
    // serverBatchEntries; `written` gives how many entries it held, or the index of the one that
    // failed, and `tried` how many it tried.
    Outcome writeServerTransaction(qsizetype* written, qsizetype* tried);
    // Spots whose transactions settled: the count of those still to go one a transaction drops.
    void settled(qsizetype entries) { m_singly = std::max<qsizetype>(0, m_singly - entries); }
    // Asks the server about the transaction whose commit went unanswered; true once the rows it
    // held are known stored or known to be written again.
    bool resolveUnknown();
    // A statement on the server that reads its one row of answer under the watch.
    bool ask(const QString& sql, const QVariantList& values, QSqlQuery* answer, SqlFailure* failure);
    // Rolls back a server transaction that may still be open on the connection; false, with
    // `outcome`, when that could not be sent.
    bool endLeftOpen(Outcome* outcome);
    int cutsSoFar() const;
    bool commitBatch();
    // The open transaction is given up: its rows go back to the head of the backlog.
    void abandonBatch();
    void stall(const Row& row, const Outcome& outcome);
    // True when the connection was made again at once; else the retry is due after the interval.
    bool waitForServer(const Row& row, const Outcome& outcome);
    void storingAgain();
    void tellNotStoring(const QString& why);
    void trimBacklog();
    void retryLater(std::chrono::milliseconds delay);
    // The next try after a failed one: at the interval, whatever was asked for before.
    void retryAfter(std::chrono::milliseconds interval);
    bool prepared(QSqlQuery& query, QString& connection, const QString& sql, double* number, QString* why);

    Database& m_db;
    ErrorLog& m_log;
    bool& m_dbBusy;
    QSqlQuery m_mufInsert;
    QSqlQuery m_spotInsert;
    QSqlQuery m_batchInsert;
    QString m_batchConnection;
    QString m_mufConnection;
    QString m_spotConnection;
    FailureRuns m_failures;
    std::deque<Entry> m_backlog;
    qsizetype m_backlogRows = 0;
    qsizetype m_backlogLimit = defaultBacklogLimit;
    qint64 m_dropped = 0;
    QTimer m_backlogTimer;
    // A tblSPOT row waiting for its spot's tblAllSpots row.
    std::optional<Row> m_head;
    // SQLite: the open transaction of a batch. Server: a batch gathers its rows.
    bool m_inBatch = false;
    bool m_gathering = false;
    // The rows a batch gathered waited behind nothing.
    bool m_gatheredAlone = false;
    // Entries inserted in the open transaction, kept until it commits.
    std::vector<Entry> m_uncommitted;
    // Set while the database refuses to write: new rows wait behind the backlog, and only the
    // retry timer tries again.
    bool m_stalled = false;
    // Set when the database refused to write in a way that only a new connection mends.
    bool m_reconnect = false;
    // Set while the writers themselves write: an opening they cause is not a cue to try again.
    bool m_writing = false;
    // Counts the closings of the connection: a server transaction is void once it closed.
    quint64 m_closings = 0;
    std::optional<Unknown> m_unknown;
    // After a transaction of several spots was refused for one of them: how many at the head go
    // one a transaction, so that the one refused is found and the others are stored.
    qsizetype m_singly = 0;
    // The closing count of the connection on which a server transaction was begun and not yet
    // ended.
    std::optional<quint64> m_leftOpen;
    // Null while rows are stored.
    QString m_notStoringWhy;
    bool m_rowsNamedByOwner = false;
};

} // namespace zenthra
