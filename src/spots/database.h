#pragma once
// The database layer: the two connections (call/locator and spots), opening, closing and
// reopening them, creating and upgrading the schema, and running statements with bound values.
//
// Kind "a": the SQLite files spots.sqlite and call_loc.sqlite in the data folder (WAL journal,
// synchronous=NORMAL). Kind "s": one PostgreSQL database that serves as both connections; host
// (optionally host:port), database, user and password come from DatabaseSettings, with short
// connect and statement time-outs so that a dead server cannot hold the window for long.
//
// Dates are stored in UTC, whole seconds: ISO text in SQLite, timestamp(0) in PostgreSQL. Bind
// them with dateValue() and read them back with readDate().

#include "spots/query_catalogue.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zenthra {

class DataFolder;
class ErrorLog;
class ServerWatch;
struct DatabaseSettings;

// Which of the two connections a statement runs on. With the server both are the same.
enum class Store
{
    CallLoc, // tblDxStation
    Spots,   // every other table
};

// Why a statement failed: the number for the error log and the driver's own words.
struct SqlFailure
{
    double number = 0;
    QString text;
};

class Database : public QObject
{
    Q_OBJECT
public:
    // The error numbers this layer logs: a connection that cannot be made or was lost, and a
    // statement that the database refused.
    static constexpr double errProviderFailure = -2147467259.0; // 0x80004005
    static constexpr double errCommandFailed = -2147217900.0;   // 0x80040E14

    static constexpr const char* spotsFileName = "spots.sqlite";
    static constexpr const char* callLocFileName = "call_loc.sqlite";

    // Run after each successful opening: seeds the propagation keyword table when it is missing and
    // loads the classifier's list from it (keywordSeeding() of the keyword table).
    using KeywordSeeding = std::function<void(Database&)>;

    Database(DatabaseSettings& settings, const DataFolder& folder, ErrorLog& log, KeywordSeeding seedKeywords,
             QObject* parent = nullptr);
    ~Database() override;

    // Opens both connections for the kind ("a" or "s", any case), creates every missing table and
    // index, adds the columns older databases lack, and loads the keyword list. Any failure logs
    // one line "OPEN_DATABASES(kind): reason" and leaves the layer closed.
    void OPEN_DATABASES(const QString& kind);
    void CLOSE_DATABASES();
    // While the layer stays closed because its last opening failed: true, and what failed. An
    // opening never repairs or replaces a file that is not a database: it fails and says so.
    bool openFailed() const { return !m_open && m_openFailure.number != 0; }
    // What failed (the file or the server), why, and what the user can do; empty unless
    // openFailed().
    QString notOpenText() const;
    // Tries the failed opening again with the same kind: files at most once per file retry
    // interval, the server once per server retry interval. A failure that only repeats the last
    // one is counted rather than logged; the count goes to the log when the layer opens. True
    // when the layer is open.
    bool retryOpen();
    // The least time between two attempts to open files that failed: every caller may ask.
    static constexpr std::chrono::milliseconds fileRetryInterval{500};
    // Closes and reopens with the current kind; always logs "SQL_RECOVERY()" with the number of
    // the failure, 0 only when the layer was reopened. With the server it reconnects at most once
    // per retry interval: a call that comes too soon changes nothing and logs the failure number.
    void REOPEN_DATABASES();
    // Closes the open connections and opens them again, as a connection SQLite opened read-only
    // stays so after the file became writable. Nothing while the layer is closed, nor while every
    // file that SQLite could only open read-only still cannot be written: the connections would be
    // read-only again, and each one closed while another connection of this process holds its file
    // leaves SQLite a descriptor that it may not close (POSIX locks belong to the process). Files
    // are opened at most once per file retry interval, as a failed write asks at every attempt: a
    // call that comes sooner is carried out once it has passed, unless the layer opens or closes
    // meanwhile.
    void reconnect();
    // After a statement failed in server mode: a lost connection is reopened when the retry
    // interval has passed since the last attempt. True when it was reopened just now.
    bool recoverLostServer(const SqlFailure& failure);
    // Creates missing tables and indexes and adds the two columns that older databases lack.
    // Runs as part of OPEN_DATABASES; returns false (with `why`) when a statement fails.
    bool UPGRADE_DB_SCHEMA(SqlFailure* why = nullptr);
    // Deletes the tblSPOT rows whose spotter and DX call are the same; failures are ignored.
    void SQL_RECOVERY();

    bool isOpen() const { return m_open; }
    // The dialect of the open connections (of the kind last opened).
    SqlDialect dialect() const { return m_dialect; }
    // The catalogue statement `number` in the dialect of the open connections.
    QString SET_SQL(int number, const QString& arg4 = {}, const QString& arg5 = {},
                    const QString& arg6 = {}) const;
    QString sql(Statement statement) const { return dialectSql(statement, m_dialect); }

    // Prepares `sql` on the store's connection, binds `values` in order (positional placeholders)
    // and runs it. On success `result`, when given, holds the rows. On failure `why` says why; a
    // closed layer fails every statement with errProviderFailure. With the server the rows are read
    // whole under the watch before exec() returns, so reading them waits on nothing: a path lost
    // part way fails the statement rather than ending the rows early.
    bool exec(Store store, const QString& sql, const QVariantList& values = {}, QSqlQuery* result = nullptr,
              SqlFailure* why = nullptr);
    // A query prepared on the store's connection, for callers that bind by name or run a
    // statement many times; an invalid query when the layer is closed. With the server, run()
    // reads its rows whole, and the server forgets the statement when the query goes: a query
    // that goes while the connection lives goes through putAway() (or is held by a Prepared).
    QSqlQuery prepare(Store store, const QString& sql, SqlFailure* why = nullptr);
    // Runs a query that prepare() made, as exec() runs its own.
    bool run(Store store, QSqlQuery& query, SqlFailure* why = nullptr);
    // Puts away a query that prepare() made, leaving `query` empty. The server is told to forget
    // its statement under the watch; while the server does not answer, that waits for the layer's
    // next statement or for the connection to close.
    void putAway(Store store, QSqlQuery& query);
    // A query that prepare() made, put away when it goes out of scope.
    class Prepared
    {
    public:
        Prepared(Database& db, Store store, const QString& sql, SqlFailure* why = nullptr);
        ~Prepared();
        Prepared(const Prepared&) = delete;
        Prepared& operator=(const Prepared&) = delete;
        QSqlQuery& operator*() { return m_query; }
        QSqlQuery* operator->() { return &m_query; }

    private:
        Database& m_db;
        Store m_store;
        QSqlQuery m_query;
    };
    // A transaction on the store's connection, under the same rules as every statement; rolled
    // back unless committed.
    class Transaction
    {
    public:
        Transaction(Database& db, Store store, SqlFailure* why = nullptr);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool begun() const { return m_begun; }
        bool commit(SqlFailure* why = nullptr);
        void rollback();

    private:
        Database& m_db;
        Store m_store;
        bool m_begun = false;
    };
    // Begins, commits or rolls back on the store's connection; for a transaction that spans calls.
    bool transaction(Store store, SqlFailure* why = nullptr);
    bool commit(Store store, SqlFailure* why = nullptr);
    bool rollback(Store store);
    // The connection itself, for its name and driver.
    QSqlDatabase connection(Store store) const;
    bool tableExists(Store store, const QString& table);
    // After many rows written one by one: folds the SQLite write-ahead log back into the file and
    // empties it, so it does not keep the size the bulk write gave it. Nothing with the server;
    // a failure (a reader still holds the log) only leaves the log as it is. Without `wait` it
    // does not wait for another connection at all: after a write that another program's lock
    // refused, the lock is most likely still there.
    void compactLog(Store store, bool wait = true);

    // Dates as the two dialects store them (UTC, whole seconds) and back.
    static QVariant dateValue(const QDateTime& utc);
    static QDateTime readDate(const QVariant& stored);
    // The failure a query reports, as this layer numbers it.
    static SqlFailure failureOf(const QSqlError& error);
    // A file that another program holds, said so: in the caption and in what a window reports.
    static QString heldText(const QString& words);

    // The least time between two reconnection attempts to the server (default ten seconds).
    void setServerRetryInterval(std::chrono::milliseconds interval) { m_retryInterval = interval; }
    std::chrono::milliseconds serverRetryInterval() const { return m_retryInterval; }
    const QString& serverSchema() const { return m_serverSchema; }
    // How long a statement on a file waits while another connection writes. One wait for every
    // layer: a window's statement waits no longer than the spot store's.
    static constexpr std::chrono::milliseconds busyWait{1000};
    // The watch over the server's statements, which every layer of the program shares: a server
    // that does not answer has each layer's statements fail at once instead of waiting on it.
    void setServerWatch(std::shared_ptr<ServerWatch> watch);
    const std::shared_ptr<ServerWatch>& serverWatch() const { return m_watch; }
    // True while the layer is open but its server connection was found lost.
    bool connectionLost() const { return m_open && !m_lostReason.isEmpty(); }
    // True while the layer is closed because its server connection was lost and could not be
    // made again yet.
    bool serverLost() const { return m_serverLost; }
    // How long a login to the server may take, per address (libpq counts it in whole seconds). A
    // password over a long path takes several round trips, and a server that checks it elsewhere
    // (a directory, PAM) or looks up the client's name seconds more. A layer on the window's
    // thread is given no longer than the watch holds the window during a statement.
    static constexpr std::chrono::seconds defaultLoginWait{10};
    void setServerLoginWait(std::chrono::seconds wait) { m_loginWait = wait; }
    // How long an opening waits for the watch to look the server's host names up (libpq is given
    // the addresses, and never looks a name up itself): as long as an ask gives a name. A layer on
    // the window's thread waits not at all, and takes the addresses found last.
    static constexpr std::chrono::milliseconds defaultNameWait{std::chrono::seconds(3)};
    void setServerNameWait(std::chrono::milliseconds wait) { m_nameWait = wait; }
    // Off for a second layer beside the one that creates and upgrades the tables: its opening
    // then writes nothing, so it cannot wait on a database that another program holds.
    void setMakesSchema(bool makes) { m_makesSchema = makes; }
    // Runs every server session in `schema` (a plain lower-case name) instead of the user's
    // default schema: for side-by-side installations on one server, and for tests.
    void setServerSchema(const QString& schema) { m_serverSchema = schema; }

Q_SIGNALS:
    // After every opening attempt, with its outcome.
    void databasesOpened(bool ok);
    void databasesClosed();

private:
    // What the user can do about a file that could not be opened.
    enum class OpenAdvice
    {
        MoveOut,      // not a database
        FreeSpace,    // a full disk, or one that fails
        MakeWritable, // a file or folder that cannot be written
    };
    static OpenAdvice adviceFor(const QSqlError& error);
    SqlFailure closedFailure() const;
    // Whether a statement may run now; a connection the watch cut is made anew first, once the
    // server answers again.
    bool ready(SqlFailure* why);
    // Runs `statement` on the store's connection under the server watch.
    template <typename Statement> bool watched(Store store, SqlFailure* why, Statement&& statement);
    // ready(), then the statement under the watch; `statement` fills in its own failure.
    template <typename Statement> bool attempt(Store store, SqlFailure* why, Statement&& statement);
    bool onConnection(Store store, SqlFailure* why, bool (QSqlDatabase::*op)());
    bool openSqlite(const QString& name, const QString& file, SqlFailure* why);
    bool openServer(const QString& name, SqlFailure* why);
    // The connection's options: the connect time-out, and the session's settings, which travel
    // with the login rather than as statements of their own.
    QString serverConnectOptions() const;
    // UPGRADE_DB_SCHEMA on the server: what exists read in one statement, what is missing made in
    // one more.
    bool upgradeServerSchema(SqlFailure* why);
    bool reopenDue() const;
    // Logs how often the failed opening was met again, if it was.
    void endOpenRun(double number);
    void closeConnections();
    // failureOf() for a statement on `store`; one on a connection the driver has closed carries
    // the reason it was lost.
    SqlFailure failureIn(Store store, const QSqlError& error);
    QString connectionName(Store store) const;

    DatabaseSettings& m_settings;
    const DataFolder& m_folder;
    ErrorLog& m_log;
    KeywordSeeding m_seedKeywords;

    bool m_open = false;
    SqlDialect m_dialect = SqlDialect::Sqlite;
    QString m_spotsName;   // connection names while open
    QString m_callLocName; // equal to m_spotsName with the server
    quint64 m_generation = 0;
    QString m_serverSchema;
    QString m_lostReason; // why the server's connection was lost, until the layer opens again
    // The failed opening: its log number and line, the kind it was for, the file it failed on
    // (empty for the server) and the driver's own reason; failed retries that only repeated it.
    SqlFailure m_openFailure;
    QString m_openKind;
    QString m_openFailedFile;
    QString m_openReason;
    OpenAdvice m_openAdvice = OpenAdvice::MoveOut;
    bool m_makesSchema = true;
    std::shared_ptr<ServerWatch> m_watch;
    // The watch cut a statement of this layer: its connection is broken.
    bool m_cut = false;
    // Inside OPEN_DATABASES: a connection found broken fails the opening rather than being made
    // again from within it.
    bool m_opening = false;
    // Within a server opening that checked the schema: the tables and indexes it found or made
    // (lower case), so that the opening's own look-ups of a table cost no round trip.
    std::optional<QSet<QString>> m_openingTables;
    // Queries put away while the server did not answer; they go under the next watched statement
    // or once the connection is closed.
    std::vector<QSqlQuery> m_putAway;
    bool m_serverLost = false;
    qint64 m_openRepeats = 0;
    bool m_retrying = false;
    bool m_reopening = false;
    std::chrono::milliseconds m_retryInterval{std::chrono::seconds(10)};
    std::chrono::seconds m_loginWait = defaultLoginWait;
    std::chrono::milliseconds m_nameWait = defaultNameWait;
    QElapsedTimer m_lastServerAttempt;
    QElapsedTimer m_lastOpenAttempt;
    QTimer m_reconnectLater;
    // The files that could not be written when the layer opened them: SQLite made their
    // connections read-only, and would again while they stay so.
    QStringList m_unwritable;
    // True when a reopening could give writable connections: no file was read-only when opened, or
    // one of those can now be written (or is gone, and is made anew).
    bool reopenMayWrite() const;
};

} // namespace zenthra
