#include "spots/database_fixture.h"

#include "support/postgres.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlError>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

QStringList lower(std::initializer_list<const char*> names)
{
    QStringList out;
    for (const char* n : names) {
        out.append(QString::fromLatin1(n).toLower());
    }
    return out;
}

} // namespace

class Schema : public DatabaseFixture
{
};

TEST_P(Schema, OpenCreatesEveryTableWithTheColumnsInOrder)
{
    open();
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(db->dialect(), server() ? SqlDialect::Postgres : SqlDialect::Sqlite);
    EXPECT_EQ(columns("tblSPOT"), lower({"DxDateTime", "DxCall1",  "DxLoc1", "DxCall2", "DxLoc2",
                                         "freq",       "qtf1",     "Elev1",  "QRB1",    "SpotInfo",
                                         "CentreLoc",  "critfreq", "MUF",    "TryFrom", "TryTo",
                                         "Qtf2",       "Elev2",    "QRB2",   "FOT",     "Qrb_To_Midpoint"}));
    EXPECT_EQ(columns("tblAllSpots"), lower({"Spot_Date", "Spot_Call1", "Spot_Loc1", "Spot_Call2",
                                             "Spot_Loc2", "Spot_Detail", "Spot_Freq", "Spot_Mode"}));
    EXPECT_EQ(columns("tblDxStation", Store::CallLoc), lower({"DxCallsign", "DxLocatorID", "DxDate"}));
    EXPECT_EQ(columns("tblAnnounce"), lower({"ann_text", "ann_date"}));
    EXPECT_EQ(columns("tblProp"), lower({"propId", "PropCheck", "SortOrder"}));
    EXPECT_EQ(columns("tblSpider"), lower({"spidertype", "spiderCommand"}));
    EXPECT_EQ(columns("tblTelnetClx"),
              lower({"dxcID", "Friendly_Name", "ip_host", "Port", "Username", "Password"}));
    EXPECT_EQ(columns("tblTelnetWWC"),
              lower({"wwcID", "Friendly_Name", "ip_host", "Port", "Username", "Password", "ConnectStr"}));
    EXPECT_EQ(columns("tblTelnetBBS"),
              lower({"bbsID", "Friendly_Name", "ip_host", "Port", "Username", "Password", "ConnectStr"}));
    // The indexes that serve the date and call queries.
    const QString sql =
        server() ? QStringLiteral("SELECT count(*) FROM pg_indexes WHERE schemaname = current_schema()"
                                  " AND indexname IN ('ixdxstationcalldate', 'ixspotdate', "
                                  "'ixallspotsdate')")
                 : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN"
                                  " ('ixSpotDate', 'ixAllSpotsDate')");
    EXPECT_EQ(column(Store::Spots, sql).value(0).toInt(), server() ? 3 : 2);
    if (!server()) {
        EXPECT_EQ(
            column(Store::CallLoc, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index'"
                                                  " AND name = 'ixDxStationCallDate'"))
                .value(0)
                .toInt(),
            1);
    }
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(Schema, NodeTablesGenerateTheirKeys)
{
    open();
    for (const char* table : {"tblTelnetClx", "tblTelnetWWC", "tblTelnetBBS"}) {
        const QString t = QString::fromLatin1(table);
        run(Store::Spots,
            QStringLiteral("INSERT INTO %1 (Friendly_Name, ip_host, Port) VALUES (?, ?, ?)").arg(t),
            {"GB7MBC", "gb7mbc.example", 7300.0});
        run(Store::Spots,
            QStringLiteral("INSERT INTO %1 (Friendly_Name, ip_host, Port) VALUES (?, ?, ?)").arg(t),
            {"DB0SUE", "db0sue.example", 8000.0});
        QSqlQuery q = run(Store::Spots, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(t));
        ASSERT_TRUE(q.next());
        const int first = q.value(0).toInt();
        EXPECT_EQ(q.value(1).toString(), "GB7MBC");
        EXPECT_EQ(q.value(3).toDouble(), 7300.0);
        ASSERT_TRUE(q.next());
        EXPECT_GT(q.value(0).toInt(), first);
    }
}

TEST_P(Schema, OlderDatabaseReceivesTheTwoColumnsOnce)
{
    const QString date = server() ? "timestamp(0)" : "text";
    prepareRaw({QStringLiteral(
                    "CREATE TABLE tblAllSpots (Spot_Date %1, Spot_Call1 varchar(50), Spot_Loc1 varchar(20),"
                    " Spot_Call2 varchar(50), Spot_Loc2 varchar(20), Spot_Detail varchar(120),"
                    " Spot_Freq real)")
                    .arg(date),
                QStringLiteral(
                    "CREATE TABLE tblSPOT (DxDateTime %1, DxCall1 varchar(50), DxLoc1 varchar(20),"
                    " DxCall2 varchar(50), DxLoc2 varchar(20), freq real, qtf1 real, Elev1 real, QRB1 real,"
                    " SpotInfo varchar(120), CentreLoc varchar(20), critfreq real, MUF real,"
                    " TryFrom varchar(20), TryTo varchar(20), Qtf2 real, Elev2 real, QRB2 real, FOT real)")
                    .arg(date),
                "INSERT INTO tblAllSpots (Spot_Call1, Spot_Freq) VALUES ('G4ABC', 50.11)",
                "INSERT INTO tblSPOT (DxCall1, MUF) VALUES ('G4ABC', 80)"});
    open();
    ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
    EXPECT_EQ(columns("tblAllSpots").last(), "spot_mode");
    EXPECT_EQ(columns("tblSPOT").last(), "qrb_to_midpoint");
    EXPECT_TRUE(column(Store::Spots, "SELECT Spot_Mode FROM tblAllSpots").value(0).isNull());
    EXPECT_TRUE(column(Store::Spots, "SELECT Qrb_To_Midpoint FROM tblSPOT").value(0).isNull());
    db->CLOSE_DATABASES();
    open();
    EXPECT_EQ(columns("tblAllSpots").size(), 8);
    EXPECT_EQ(columns("tblSPOT").size(), 20);
    // Figures of the older server tables become the value they showed.
    EXPECT_EQ(column(Store::Spots, "SELECT CAST(Spot_Freq AS text) FROM tblAllSpots WHERE Spot_Freq = 50.11")
                  .value(0)
                  .toString(),
              "50.11");
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

// Cases that concern the embedded files only.
class SqliteFiles : public DatabaseFixture
{
};

TEST_P(Schema, CloseAndReopenKeepTheData)
{
    QSignalSpy opened(db.get(), &Database::databasesOpened);
    QSignalSpy closed(db.get(), &Database::databasesClosed);
    open();
    run(Store::CallLoc, "INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)",
        {"G4ABC", "IO91WM", Database::dateValue(QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC))});
    db->setServerRetryInterval(std::chrono::milliseconds(0)); // the server was reached a moment ago
    db->REOPEN_DATABASES();
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(count("tblDxStation", Store::CallLoc), 1);
    EXPECT_EQ(opened.size(), 2);
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(opened.last().value(0).toBool(), true);
    // The recovery line is always written, with 0 when nothing failed.
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith("\t0 - SQL_RECOVERY()")) << logLines()[0].toStdString();
    db->CLOSE_DATABASES();
    EXPECT_FALSE(db->isOpen());
    SqlFailure why;
    EXPECT_FALSE(db->exec(Store::Spots, "SELECT 1", {}, nullptr, &why));
    EXPECT_EQ(why.number, Database::errProviderFailure);
    db->SQL_RECOVERY(); // harmless when closed
}

TEST_P(Schema, SelfSpotsAreDeletedAndNothingElse)
{
    open();
    const QString insert = "INSERT INTO tblSPOT (DxCall1, DxCall2, MUF) VALUES (?, ?, ?)";
    run(Store::Spots, insert, {"DL1ABC", "DL1ABC", 80.0});
    run(Store::Spots, insert, {"DL1ABC", "dl1abc", 81.0});
    run(Store::Spots, insert, {"DL1ABC", "G4XYZ", 82.0});
    run(Store::Spots, insert, {"G4XYZ", QVariant(QMetaType::fromType<QString>()), 83.0});
    db->SQL_RECOVERY();
    EXPECT_EQ(column(Store::Spots, "SELECT MUF FROM tblSPOT ORDER BY MUF"), (QVariantList{82.0, 83.0}));
}

TEST_P(Schema, DatesRoundTripAsUtcWholeSeconds)
{
    open();
    const QDateTime a(QDate(2024, 6, 1), QTime(23, 59, 58, 700), Qt::UTC);
    const QDateTime b =
        QDateTime(QDate(2024, 6, 2), QTime(0, 30, 0), Qt::OffsetFromUTC, 2 * 3600); // 22:30 UTC
    const QString insert = "INSERT INTO tblAllSpots (Spot_Date, Spot_Call1) VALUES (?, ?)";
    run(Store::Spots, insert, {Database::dateValue(a), "A"});
    run(Store::Spots, insert, {Database::dateValue(b), "B"});
    QSqlQuery q = run(Store::Spots, "SELECT Spot_Date, Spot_Call1 FROM tblAllSpots ORDER BY Spot_Date DESC");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(1).toString(), "A");
    EXPECT_EQ(Database::readDate(q.value(0)), QDateTime(QDate(2024, 6, 1), QTime(23, 59, 58), Qt::UTC));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(Database::readDate(q.value(0)), QDateTime(QDate(2024, 6, 1), QTime(22, 30, 0), Qt::UTC));
    // Comparing with a bound date.
    EXPECT_EQ(column(Store::Spots, "SELECT Spot_Call1 FROM tblAllSpots WHERE Spot_Date > ?",
                     {Database::dateValue(QDateTime(QDate(2024, 6, 1), QTime(23, 0), Qt::UTC))}),
              QVariantList{"A"});
}

TEST_P(Schema, HostileValuesAreStoredUnchangedOrRefused)
{
    open();
    const QStringList values = {
        "A' OR 'A'='A",
        "\"quoted\" and 'single'",
        "100%_done",
        "x'; DROP TABLE tblDxStation; --",
        QString(10000, u'W'),
        QString::fromUtf8("Grüße 東京 🙂"),
        "back\\slash :name ? $1",
    };
    const QString insert = "INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)";
    const QVariant date = Database::dateValue(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
    int stored = 0;
    for (const QString& v : values) {
        SqlFailure why;
        if (db->exec(Store::CallLoc, insert, {v, "JO01AA", date}, nullptr, &why)) {
            ++stored;
            EXPECT_EQ(column(Store::CallLoc,
                             "SELECT DxCallsign FROM tblDxStation WHERE upper(DxCallsign) = upper(?)", {v}),
                      QVariantList{v});
        } else {
            // Only a value too long for its column may be refused, and never silently.
            EXPECT_GT(v.size(), 50);
            EXPECT_FALSE(why.text.isEmpty());
        }
    }
    EXPECT_GE(stored, int(values.size()) - 1);
    EXPECT_EQ(count("tblDxStation", Store::CallLoc), stored);
    EXPECT_EQ(column(Store::CallLoc, "SELECT count(*) FROM tblDxStation WHERE upper(DxCallsign) = upper(?)",
                     {"A' OR 'A'='A"})
                  .value(0)
                  .toInt(),
              1);
}

TEST_P(SqliteFiles, RunInWalModeAndSeveralLayersCoexistInOneProcess)
{
    test::TempFolder other;
    DataFolder otherFolder(other.path());
    DatabaseSettings otherSettings;
    PropKeywords otherKeywords(log);
    Database second(otherSettings, otherFolder, log, keywordSeeding(otherKeywords));
    open();
    for (Store s : {Store::Spots, Store::CallLoc}) {
        EXPECT_EQ(column(s, "PRAGMA journal_mode").value(0).toString(), "wal");
        EXPECT_EQ(column(s, "PRAGMA synchronous").value(0).toInt(), 1);
    }
    second.OPEN_DATABASES("A");
    ASSERT_TRUE(db->isOpen());
    ASSERT_TRUE(second.isOpen());
    run(Store::Spots, "INSERT INTO tblAnnounce (ann_text) VALUES (?)", {"first"});
    EXPECT_EQ(count("tblAnnounce"), 1);
    QSqlQuery q;
    ASSERT_TRUE(second.exec(Store::Spots, "SELECT count(*) FROM tblAnnounce", {}, &q));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, Schema, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);
// The locks this process holds on a database file, as the system lists them.
int locksHeldOn(const QString& file)
{
    struct stat st
    {
    };
    if (::stat(qPrintable(file), &st) != 0) {
        return -1;
    }
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray pid = QByteArray::number(::getpid());
    const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino));
    int held = 0;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        held += f.size() > 5 && f[1] == "POSIX" && f[4] == pid && f[5].endsWith(inode);
    }
    return held;
}

TEST_P(SqliteFiles, ASecondLayerLeavesTheFirstItsLockOnTheFiles)
{
    // As the window's layer opens beside the spot store's: another program must still see the
    // file in use, or its last connection folds in and deletes the journal still being written.
    open();
    ASSERT_TRUE(db->isOpen());
    ASSERT_TRUE(db->exec(Store::Spots, QStringLiteral("SELECT count(*) FROM tblAllSpots")));
    const QString spots = dir.file(QLatin1String(Database::spotsFileName));
    ASSERT_GT(locksHeldOn(spots), 0);
    PropKeywords second{log};
    Database other(settings, folder, log, keywordSeeding(second));
    other.setMakesSchema(false);
    other.OPEN_DATABASES(kind());
    ASSERT_TRUE(other.isOpen());
    EXPECT_GT(locksHeldOn(spots), 0);
}

TEST_P(SqliteFiles, JournalsLeftReadOnlyAreMadeTheOwnersToWriteAgain)
{
    // As a session on a read-only database leaves them; the next one, writable again, must write.
    for (const char* journal : {"spots.sqlite-shm", "call_loc.sqlite-shm"}) {
        dir.write(QLatin1String(journal), QByteArray(32768, '\0'));
        ASSERT_TRUE(QFile::setPermissions(dir.file(QLatin1String(journal)), QFileDevice::ReadOwner));
    }
    open();
    ASSERT_TRUE(db->isOpen());
    EXPECT_TRUE(
        db->exec(Store::Spots, db->sql(Statement::InsertAnnounce),
                 {QStringLiteral("WWV de W0MU"), Database::dateValue(QDateTime::currentDateTimeUtc())}));
    for (const char* journal : {"spots.sqlite-shm", "call_loc.sqlite-shm"}) {
        struct stat st
        {
        };
        ASSERT_EQ(::stat(qPrintable(dir.file(QLatin1String(journal))), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u) << journal;
    }
}

TEST_P(SqliteFiles, FilesAreOpenedAgainAtMostOncePerRetryIntervalAndTheLastAskIsNotLost)
{
    // As the writers ask at every failed write to a read-only file, and the window's layer at
    // every opening of the store's.
    open();
    ASSERT_TRUE(db->isOpen());
    QSignalSpy opened(db.get(), &Database::databasesOpened);
    for (int i = 0; i < 100; ++i) {
        db->reconnect();
    }
    EXPECT_EQ(opened.count(), 0);
    QTest::qWait(int(2 * Database::fileRetryInterval.count()));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_TRUE(db->isOpen());
    // A layer closed meanwhile stays closed.
    open();
    db->reconnect();
    db->CLOSE_DATABASES();
    QTest::qWait(int(2 * Database::fileRetryInterval.count()));
    EXPECT_EQ(opened.count(), 2);
    EXPECT_FALSE(db->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Embedded, SqliteFiles, ::testing::Values(Backend::Sqlite),
                         zenthra::test::backendName);

// Failures of opening: one clear line, a running program, the layer closed.

namespace {

struct Standalone
{
    test::TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DatabaseSettings settings;
    PropKeywords keywords{log};
    // The server settings of a port where nothing listens.
    void unreachableServer()
    {
        settings.strDbType = "s";
        settings.strSqlServer = "127.0.0.1:1";
        settings.strSqlDatabase = "zenthra";
        settings.strSqlUser = "nobody";
    }
};

} // namespace

TEST(DatabaseOpenFailure, FolderThatCannotHoldFilesOrAFileThatIsNotSqlite)
{
    Standalone s;
    s.dir.write("plain-file", "x");
    s.dir.write("spots.sqlite", QByteArray("This is a text file, not a database.\r\n").repeated(200));
    // Below a file nothing can be created; the data folder holds a spots file of text.
    for (const QString& path : {s.dir.file("plain-file") + "/data", s.dir.path()}) {
        DataFolder folder(path);
        Database db(s.settings, folder, s.log, keywordSeeding(s.keywords));
        QSignalSpy opened(&db, &Database::databasesOpened);
        db.OPEN_DATABASES("a");
        EXPECT_FALSE(db.isOpen());
        ASSERT_EQ(opened.size(), 1);
        EXPECT_FALSE(opened[0][0].toBool());
        EXPECT_FALSE(s.keywords.loaded());
    }
    const QStringList lines = s.dir.lines("muf_errors.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("-2147467259 - OPEN_DATABASES(a): call_loc.sqlite: "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("OPEN_DATABASES(a): spots.sqlite: ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("not a database")) << lines[1].toStdString();
    // The file is left as it was.
    EXPECT_TRUE(s.dir.read("spots.sqlite").startsWith("This is a text file"));
}

TEST(DatabaseOpenFailure, UnreachableServerIsRetriedAtMostOncePerInterval)
{
    Standalone s;
    s.unreachableServer();
    DataFolder folder(s.dir.path());
    Database db(s.settings, folder, s.log, keywordSeeding(s.keywords));
    QSignalSpy opened(&db, &Database::databasesOpened);
    db.OPEN_DATABASES("S");
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(db.dialect(), SqlDialect::Postgres);
    ASSERT_EQ(opened.size(), 1);
    db.REOPEN_DATABASES(); // straight after a failed attempt: not tried again
    EXPECT_EQ(opened.size(), 1);
    db.setServerRetryInterval(std::chrono::milliseconds(0));
    db.REOPEN_DATABASES();
    EXPECT_EQ(opened.size(), 2);
    const QStringList lines = s.dir.lines("muf_errors.log");
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains("-2147467259 - OPEN_DATABASES(S): server 127.0.0.1:1, database zenthra: "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("-2147467259 - SQL_RECOVERY()"));
    EXPECT_TRUE(lines[2].contains("OPEN_DATABASES(s): "));
    EXPECT_TRUE(lines[3].endsWith("-2147467259 - SQL_RECOVERY()"));
}

TEST(DatabaseOpenFailure, AServerThatDidNotOpenIsTriedAgainOnlyAtTheServersInterval)
{
    Standalone s;
    s.unreachableServer();
    DataFolder folder(s.dir.path());
    Database db(s.settings, folder, s.log, keywordSeeding(s.keywords));
    QSignalSpy opened(&db, &Database::databasesOpened);
    db.OPEN_DATABASES("s");
    ASSERT_TRUE(db.openFailed());
    // Past a file's interval, not the server's: each attempt at a server that does not answer
    // may take the whole connect time.
    QTest::qWait(int(Database::fileRetryInterval.count()) + 100);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(db.retryOpen());
    }
    EXPECT_EQ(opened.size(), 1);
    db.setServerRetryInterval(std::chrono::milliseconds(0));
    EXPECT_FALSE(db.retryOpen());
    EXPECT_EQ(opened.size(), 2);
}

TEST(DatabaseOpenFailure, SchemaNameIsCheckedBeforeUse)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Standalone s;
    const test::PostgresAddress a = test::postgresAddress();
    s.settings.strSqlServer = QStringLiteral("%1:%2").arg(a.host).arg(a.port);
    s.settings.strSqlDatabase = a.database;
    s.settings.strSqlUser = a.user;
    DataFolder folder(s.dir.path());
    Database db(s.settings, folder, s.log, keywordSeeding(s.keywords));
    db.setServerSchema("x; DROP SCHEMA public");
    db.OPEN_DATABASES("s");
    EXPECT_FALSE(db.isOpen());
    const QStringList lines = s.dir.lines("muf_errors.log");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains("schema name refused")) << lines[0].toStdString();
}

// Cases that concern the server session only.
class ServerSession : public DatabaseFixture
{
};

TEST_P(ServerSession, HasShortStatementTimeoutItsOwnSchemaAndPutsOffReopening)
{
    open();
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(column(Store::Spots, "SHOW statement_timeout").value(0).toString(), "5s");
    // A session of ours that a lost path left inside a transaction gives its locks back.
    EXPECT_EQ(column(Store::Spots, "SHOW idle_in_transaction_session_timeout").value(0).toString(), "10s");
    EXPECT_EQ(column(Store::Spots, "SELECT current_schema()").value(0).toString(), schema);
    // Both stores are the one server database.
    EXPECT_EQ(db->connection(Store::Spots).connectionName(), db->connection(Store::CallLoc).connectionName());
    // Reopening when the server was reached a moment ago is put off, and is no recovery.
    QSignalSpy opened(db.get(), &Database::databasesOpened);
    db->REOPEN_DATABASES();
    EXPECT_EQ(opened.size(), 0);
    EXPECT_FALSE(db->recoverLostServer({Database::errProviderFailure, {}}));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith("\t-2147467259 - SQL_RECOVERY()")) << logLines()[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Server, ServerSession, ::testing::Values(Backend::Postgres),
                         zenthra::test::backendName);
