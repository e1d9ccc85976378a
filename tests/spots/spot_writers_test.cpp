#include "spots/relayed_server.h"
#include "spots/spot_road_fixture.h"
#include "support/eventually.h"
#include "support/postgres.h"

#include "spots/server_watch.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlError>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <thread>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

class Writers : public SpotRoadFixture
{
protected:
    // A complete sporadic-E row as the processor hands it over.
    QStringList mufArgs(const QString& spotInfo = QStringLiteral("G4ABC: 50110.0 EA7XYZ ES"))
    {
        QStringList a =
            QStringLiteral("2024-06-14 11:06:00|G4ABC|IO91WM|EA7XYZ|IM67AA|50.11|204.477|3.305|"
                           "1725.35||IN74RI|9.618|52.446|IO91WM|IM67AA|204.47|3.3|1725.3|49.88|861.8")
                .split(u'|');
        a[9] = spotInfo;
        return a;
    }
    // The arguments in tblSPOT's column order, put into the queued columns they come from; the
    // line as the writer cut it is copied back.
    bool writeMuf(QStringList& a)
    {
        DxcSpotRecord r;
        const SpotColumn order[] = {colDxDateTime, colDxCall1,  colDxLoc1, colDxCall2, colDxLoc2,
                                    colFreq,       colQtf1,     colElev1,  colQrb1,    colSpotInfo,
                                    colCentreLoc,  colCritFreq, colMuf,    colTryFrom, colTryTo,
                                    colQtf2,       colElev2,    colQrb2,   colFot};
        for (int i = 0; i < 19; ++i) {
            r[order[i]] = a[i];
        }
        const bool ok = writers->WRITE_MUF_TO_DB(r, a[19]);
        a[9] = r[colSpotInfo];
        return ok;
    }
    bool writeSpot(QStringList& a)
    {
        return writers->WRITE_SPOT_TO_DB(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    }
};

TEST_P(Writers, LongLinesAreCutTo120WithoutTrailingBlanks)
{
    const QString line = QString(119, u'x') + QStringLiteral("  tail");
    QStringList a = mufArgs(line);
    QSignalSpy stored(writers, &SpotWriters::mufRowStored);
    ASSERT_TRUE(writeMuf(a));
    EXPECT_EQ(a[9], QString(119, u'x')) << "cut in place";
    EXPECT_EQ(stored.count(), 1);
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", line, "ES"};
    ASSERT_TRUE(writeSpot(s));
    EXPECT_EQ(s[6], QString(119, u'x'));
    QStringList exact = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", QString(120, u'y'), "ES"};
    ASSERT_TRUE(writeSpot(exact));
    EXPECT_EQ(exact[6], QString(120, u'y'));
    EXPECT_EQ(column(Store::Spots, QStringLiteral("SELECT SpotInfo FROM tblSPOT")),
              QVariantList({QString(119, u'x')}));
    // Missing locators are stored as empty text, not as NULL.
    EXPECT_EQ(column(Store::Spots, QStringLiteral("SELECT count(*) FROM tblAllSpots WHERE Spot_Loc1 = ''")),
              QVariantList({2}));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Writers, AValueThatDoesNotConvertIsLoggedAndTheNextRowGoesIn)
{
    QStringList a = mufArgs();
    a[11].clear(); // critFreq
    QSignalSpy stored(writers, &SpotWriters::mufRowStored);
    EXPECT_FALSE(writeMuf(a));
    EXPECT_FALSE(queue->blnDbBusy);
    EXPECT_EQ(stored.count(), 0);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith(
        "\t13 - WRITE_MUF_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, EA7XYZ, IM67AA, 50.11, 204.477, 3.305, "
        "1725.35,"
        " G4ABC: 50110.0 EA7XYZ ES, IN74RI, , 52.446, IO91WM, IM67AA, 204.47, 3.3, 1725.3, 49.88)"))
        << logLines()[0].toStdString();
    QStringList b = mufArgs();
    EXPECT_TRUE(writeMuf(b));
    QStringList s = {"not a date", "G4ABC", "", "NOLOC", "", "50.11", "G4ABC: 50110.0 NOLOC", "ES"};
    EXPECT_FALSE(writeSpot(s));
    EXPECT_TRUE(logLines().last().endsWith(
        "\t13 - WRITE_SPOT_TO_DB(not a date, G4ABC, , NOLOC, , 50.11, G4ABC: 50110.0 NOLOC)"));
    EXPECT_EQ(count("tblSPOT"), 1);
    EXPECT_EQ(count("tblAllSpots"), 0);
}

TEST_P(Writers, FiguresAreStoredAsThePrintedSingle)
{
    QStringList a = mufArgs();
    ASSERT_TRUE(writeMuf(a));
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "14.027", "x", "CW"};
    ASSERT_TRUE(writeSpot(s));
    // The processor's frequency is the kHz figure scaled and rounded to a single once.
    queueLine(QStringLiteral("DX de G4ABC:     50002.1  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z"));
    drain();
    struct Case
    {
        const char* table;
        const char* column;
        const char* figure;
    };
    for (const Case& c :
         {Case{"tblAllSpots", "Spot_Freq", "14.027"}, Case{"tblAllSpots", "Spot_Freq", "50.0021"},
          Case{"tblSPOT", "freq", "50.11"}, Case{"tblSPOT", "critfreq", "9.618"},
          Case{"tblSPOT", "MUF", "52.446"}, Case{"tblSPOT", "Qrb_To_Midpoint", "861.8"}}) {
        const QString sql =
            QStringLiteral("SELECT CAST(%2 AS text) FROM %1 WHERE %2 = %3")
                .arg(QLatin1String(c.table), QLatin1String(c.column), QLatin1String(c.figure));
        EXPECT_EQ(column(Store::Spots, sql).value(0).toString(), QString::fromLatin1(c.figure))
            << sql.toStdString();
    }
}

// Each column of a sporadic-E row lands under its own name: the report prints bearing and
// elevation from qtf1/Elev1 and Qtf2/Elev2, which a swap in the insert would exchange silently.
TEST_P(Writers, EveryColumnOfTheSporadicERowIsStoredUnderItsName)
{
    struct Column
    {
        const char* name;
        SpotColumn from; // `midpoint`: the writer's argument beside the queued spot
        const char* value;
    };
    constexpr SpotColumn midpoint = SpotColumn(-1);
    const Column row[] = {
        {"DxDateTime", colDxDateTime, "2024-06-14 11:06:00"},
        {"DxCall1", colDxCall1, "G4ABC"},
        {"DxLoc1", colDxLoc1, "IO91WM"},
        {"DxCall2", colDxCall2, "EA7XYZ"},
        {"DxLoc2", colDxLoc2, "IM67AA"},
        {"freq", colFreq, "50.125"},
        {"qtf1", colQtf1, "204.5"},
        {"Elev1", colElev1, "3.25"},
        {"QRB1", colQrb1, "1725.5"},
        {"SpotInfo", colSpotInfo, "G4ABC: 50125.0 EA7XYZ ES"},
        {"CentreLoc", colCentreLoc, "IN74RI"},
        {"critfreq", colCritFreq, "9.625"},
        {"MUF", colMuf, "52.75"},
        {"TryFrom", colTryFrom, "JO01AA"},
        {"TryTo", colTryTo, "JM23BB"},
        {"Qtf2", colQtf2, "24.75"},
        {"Elev2", colElev2, "4.5"},
        {"QRB2", colQrb2, "1800.25"},
        {"FOT", colFot, "44.875"},
        {"Qrb_To_Midpoint", midpoint, "861.5"},
    };
    ASSERT_EQ(columns(QStringLiteral("tblSPOT")).size(), qsizetype(std::size(row)));
    DxcSpotRecord r;
    QString qrbToMidpoint;
    for (const Column& c : row) {
        (c.from == midpoint ? qrbToMidpoint : r[c.from]) = QString::fromLatin1(c.value);
    }
    ASSERT_TRUE(writers->WRITE_MUF_TO_DB(r, qrbToMidpoint));

    for (const Column& c : row) {
        const QVariantList stored =
            column(Store::Spots, QStringLiteral("SELECT %1 FROM tblSPOT").arg(QLatin1String(c.name)));
        ASSERT_EQ(stored.size(), 1) << c.name;
        const QString expected = QString::fromLatin1(c.value);
        bool number = false;
        const double figure = expected.toDouble(&number);
        if (c.from == colDxDateTime) {
            EXPECT_EQ(Database::readDate(stored[0]), QDateTime(QDate(2024, 6, 14), QTime(11, 6), Qt::UTC));
        } else if (number) {
            EXPECT_EQ(stored[0].toDouble(), figure) << c.name;
        } else {
            EXPECT_EQ(stored[0].toString(), expected) << c.name;
        }
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Writers, BusyDatabaseIsLeftAlone)
{
    queue->blnDbBusy = true;
    QStringList a = mufArgs();
    a[11].clear();
    EXPECT_FALSE(writeMuf(a));
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", "x", "ES"};
    EXPECT_FALSE(writeSpot(s));
    EXPECT_TRUE(queue->blnDbBusy);
    queue->blnDbBusy = false;
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(count("tblSPOT"), 0);
    EXPECT_EQ(count("tblAllSpots"), 0);
}

TEST_P(Writers, ReopenedDatabaseGetsFreshStatements)
{
    QStringList a = mufArgs();
    ASSERT_TRUE(writeMuf(a));
    db->CLOSE_DATABASES();
    QStringList b = mufArgs();
    EXPECT_FALSE(writeMuf(b));
    open();
    QStringList c = mufArgs();
    EXPECT_TRUE(writeMuf(c));
    // The server's row waited for the connection; the embedded file's was lost.
    EXPECT_EQ(count("tblSPOT"), server() ? 3 : 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, Writers, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// What the server's refusal of a write means for its rows.

TEST(WriteRefusal, TimeLocksAndTheServerMakeRowsWaitOnlyTheRowsOwnValuesLoseThem)
{
    using R = SpotWriters::Refusal;
    const std::pair<const char*, R> cases[] = {
        {"57014", R::Wait}, // query_canceled: the server's statement limit
        {"55P03", R::Wait}, // lock_not_available
        {"40001", R::Wait}, // serialization_failure
        {"40P01", R::Wait}, // deadlock_detected
        {"53100", R::Wait}, // disk_full
        {"08006", R::Wait}, // connection_failure
        {"57P01", R::Wait}, // admin_shutdown
        {"25006", R::Wait}, // read_only_sql_transaction: a standby
        {"42501", R::Wait}, // insufficient_privilege
        {"XX000", R::Wait}, // internal_error
        {"", R::Wait},      // no answer at all
        {"22001", R::Drop}, // string_data_right_truncation
        {"22003", R::Drop}, // numeric_value_out_of_range
        {"22021", R::Drop}, // character_not_in_repertoire
        {"23514", R::Drop}, // check_violation
        {"40002", R::Drop}, // transaction_integrity_constraint_violation
        {"54000", R::Drop}, // program_limit_exceeded: a row too large
    };
    for (const auto& [sqlState, refusal] : cases) {
        EXPECT_EQ(SpotWriters::refusalOf(QLatin1String(sqlState)), refusal) << sqlState;
    }
}

QString spotCall(int i)
{
    return QStringLiteral("DL%1ZZ").arg(i, 3, 10, QLatin1Char('0'));
}

QStringList spotCalls(std::initializer_list<int> spots)
{
    QStringList calls;
    for (int i : spots) {
        calls << spotCall(i);
    }
    return calls;
}

// A sporadic-E spot's two rows as the processor hands them over, its tblSPOT row first, with
// the mode its tblAllSpots row gets.
void storeSpot(SpotWriters& writers, int i, const QString& mode, ErrorLog& log)
{
    DxcSpotRecord r;
    const QStringList values =
        QStringLiteral(
            "2024-06-14 11:06:00|G4ABC|IO91WM|%1|JO62QM|50.11|52.5|3.3|1025.5|G4ABC: 50110.0 %1 ES|"
            "JO50AA|9.625|52.5|IO91WM|JO62QM|52.5|3.3|1025.5|44.875")
            .arg(spotCall(i))
            .split(u'|');
    const SpotColumn order[] = {colDxDateTime, colDxCall1,  colDxLoc1, colDxCall2, colDxLoc2,
                                colFreq,       colQtf1,     colElev1,  colQrb1,    colSpotInfo,
                                colCentreLoc,  colCritFreq, colMuf,    colTryFrom, colTryTo,
                                colQtf2,       colElev2,    colQrb2,   colFot};
    for (int c = 0; c < 19; ++c) {
        r[order[c]] = values[c];
    }
    std::optional<SpotWriters::Row> muf = SpotWriters::mufRow(r, QStringLiteral("512.5"), log);
    QString spotMode = mode;
    std::optional<SpotWriters::Row> spot =
        SpotWriters::spotRow(r[colDxDateTime], r[colDxCall1], r[colDxLoc1], r[colDxCall2], r[colDxLoc2],
                             r[colFreq], r[colSpotInfo], spotMode, log);
    ASSERT_TRUE(muf && spot);
    muf->spotRowFollows = true;
    writers.storeRow(std::move(*muf));
    writers.storeRow(std::move(*spot));
}

class SpotPairs : public Writers
{
protected:
    QStringList calls(const char* sql)
    {
        QStringList out;
        for (const QVariant& v : column(Store::Spots, QLatin1String(sql))) {
            out << v.toString();
        }
        return out;
    }
    QStringList spotTable() { return calls("SELECT DxCall2 FROM tblSPOT ORDER BY DxCall2"); }
    QStringList allSpotsTable() { return calls("SELECT Spot_Call2 FROM tblAllSpots ORDER BY Spot_Call2"); }
    QStringList figures(const char* sql)
    {
        QStringList out;
        for (const QVariant& v : column(Store::Spots, QLatin1String(sql))) {
            out << QString::number(v.toDouble());
        }
        return out;
    }
};

// A row the database refuses for its own values goes with its spot's other row; the spots
// written in the same transaction are stored. A file takes any text, but a table made with a
// check (as an older or foreign database may be) refuses one too.
TEST_P(SpotPairs, ARefusedSpotGoesWithBothItsRowsAndTheOthersAreStored)
{
    if (!server()) {
        db->CLOSE_DATABASES();
        prepareRaw({QStringLiteral("DROP TABLE tblAllSpots"),
                    QStringLiteral("CREATE TABLE tblAllSpots (Spot_Date datetime, Spot_Call1 varchar(50),"
                                   " Spot_Loc1 varchar(20), Spot_Call2 varchar(50), Spot_Loc2 varchar(20),"
                                   " Spot_Detail varchar(120), Spot_Freq double, Spot_Mode varchar(50)"
                                   " CHECK (length(Spot_Mode) <= 50))")});
        open();
        ASSERT_TRUE(db->isOpen());
    }
    writers->beginBatch();
    storeSpot(*writers, 0, QStringLiteral("ES"), log);
    storeSpot(*writers, 1, QString(51, u'M'), log); // longer than Spot_Mode holds; tblSPOT has no mode
    storeSpot(*writers, 2, QStringLiteral("ES"), log);
    writers->endBatch();
    EXPECT_EQ(writers->backlogRows(), 0);
    EXPECT_EQ(spotTable(), spotCalls({0, 2}));
    EXPECT_EQ(allSpotsTable(), spotCalls({0, 2}));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(
        lines[0].contains(QStringLiteral(" - WRITE_MUF_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, DL001ZZ,")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" - WRITE_SPOT_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, "
                                                 "DL001ZZ, JO62QM, 50.11, G4ABC: 50110.0 DL001ZZ ES)")))
        << lines[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, SpotPairs, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

// Another session holds tblAllSpots, as VACUUM FULL, CLUSTER, ALTER TABLE or CREATE INDEX do,
// past the time the server gives a statement, while sporadic-E spots come down the road: each
// spot's two rows wait together, when more wait than may the oldest spot goes whole, and the
// others are each stored once in both tables.
class LockedTable : public SpotPairs
{
};

TEST_P(LockedTable, SpotsThatArriveMeanwhileWaitTogetherAndAreEachStoredOnce)
{
    struct Case
    {
        const char* name;
        // The writers' connection gives up sooner than the program's 5 s, to keep the test short.
        const char* limit;
        const char* why;
    };
    const Case cases[] = {
        {"StatementLimit", "SET statement_timeout = 1000", "canceling statement due to statement timeout"},
        {"LockLimit", "SET lock_timeout = 500", "canceling statement due to lock timeout"},
    };
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WM"));
    station(QStringLiteral("EA7XYZ"), QStringLiteral("IM67AA"));
    writers->setBacklogLimit(5);
    const auto spot = [this](int khz) {
        queueLine(
            QStringLiteral("DX de G4ABC:     %1.0  EA7XYZ       ES 59                     1234Z").arg(khz));
        drain();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(Store::Spots, QStringLiteral("DELETE FROM tblSPOT"));
        run(Store::Spots, QStringLiteral("DELETE FROM tblAllSpots"));
        run(Store::Spots, QStringLiteral("RESET statement_timeout"));
        run(Store::Spots, QLatin1String(c.limit));
        const qsizetype logged = logLines().size();
        spot(50100);
        const QString name = uniqueName("holder");
        {
            QSqlDatabase holder = openPostgres(name);
            QSqlQuery h(holder);
            ASSERT_TRUE(h.exec(QStringLiteral("SET search_path TO ") + schema));
            ASSERT_TRUE(h.exec(QStringLiteral("BEGIN")));
            ASSERT_TRUE(h.exec(QStringLiteral("LOCK TABLE tblAllSpots IN ACCESS EXCLUSIVE MODE")));
            for (int khz : {50110, 50120, 50130, 50140}) {
                spot(khz);
                QTest::qWait(200);
            }
            // Said; the two oldest waiting spots went to keep five rows at most.
            EXPECT_EQ(writers->notStoring(),
                      QStringLiteral("Spots are not being stored (%1): 4 waiting in memory")
                          .arg(QLatin1String(c.why)));
            // A retry meets the lock again; no tblSPOT row went ahead of its spot's other row.
            QTest::qWait(1500);
            EXPECT_EQ(figures("SELECT freq FROM tblSPOT"), QStringList{"50.1"});
            ASSERT_TRUE(h.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(name);
        EXPECT_EVENTUALLY(writers->backlogRows() == 0 && writers->notStoring().isEmpty(), 10000);
        const QStringList stored = {"50.1", "50.13", "50.14"};
        EXPECT_EQ(figures("SELECT freq FROM tblSPOT ORDER BY freq"), stored);
        EXPECT_EQ(figures("SELECT Spot_Freq FROM tblAllSpots ORDER BY Spot_Freq"), stored);
        // The refusal once, with the row it met, how often the retries met it again, and the
        // spots that went.
        const QStringList lines = logLines().mid(logged);
        ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].endsWith(
            QStringLiteral("\t-2147217900 - WRITE_SPOT_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM,"
                           " EA7XYZ, IM67AA, 50.11, G4ABC: 50110.0 EA7XYZ ES 59 1234Z)")))
            << lines[0].toStdString();
        EXPECT_EQ(lines
                      .filter(QRegularExpression(QStringLiteral(
                          "\t-2147217900 - WRITE_SPOT_TO_DB\\(\\): the same failure \\d+ more times$")))
                      .size(),
                  1)
            << lines.join('\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("\t7 - spot backlog full: 4 oldest rows dropped")).size(), 1)
            << lines.join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Server, LockedTable, ::testing::Values(Backend::Postgres), backendName);

// A check the server puts off until the commit (a deferred constraint trigger, as a replica or
// an audit may add) refuses one spot of a transaction of several: nothing of that transaction was
// written, so the spot refused goes, logged with both its rows, and the others are stored once.
class RefusedAtCommit : public SpotPairs
{
};

TEST_P(RefusedAtCommit, TheRefusedSpotGoesAndTheOthersAreStoredOnce)
{
    for (const char* sql : {
             "CREATE FUNCTION refuse_mode() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
             " IF NEW.Spot_Mode = 'XX' THEN RAISE check_violation USING MESSAGE = 'refused at commit';"
             " END IF; RETURN NULL; END $$",
             "CREATE CONSTRAINT TRIGGER refuse_mode AFTER INSERT ON tblAllSpots"
             " DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION refuse_mode()",
         }) {
        run(Store::Spots, QLatin1String(sql));
    }
    writers->beginBatch();
    for (int i = 0; i < 5; ++i) {
        storeSpot(*writers, i, i == 2 ? QStringLiteral("XX") : QStringLiteral("ES"), log);
    }
    writers->endBatch();
    // Settled at once: the refusal is not a wait, and nothing is tried again.
    EXPECT_EQ(writers->backlogRows(), 0);
    EXPECT_EQ(writers->notStoring(), QString());
    EXPECT_EQ(spotTable(), spotCalls({0, 1, 3, 4}));
    EXPECT_EQ(allSpotsTable(), spotCalls({0, 1, 3, 4}));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(
        QStringLiteral(" - WRITE_MUF_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, %1,").arg(spotCall(2))))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" - WRITE_SPOT_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, %1,"
                                                 " JO62QM, 50.11, G4ABC: 50110.0 %1 ES)")
                                      .arg(spotCall(2))))
        << lines[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Server, RefusedAtCommit, ::testing::Values(Backend::Postgres), backendName);

// A spots file that became read-only under the program, as after a backup restored with the
// wrong mode: the rows wait, and the writers try again once a retry interval. The connection is
// made anew once the file can be written, not before: SQLite would make it read-only again.
class ReadOnlySpotsFile : public Writers
{
protected:
    void TearDown() override
    {
        if (boundReadOnly) {
            EXPECT_EQ(::umount2(qPrintable(file()), MNT_DETACH), 0) << std::strerror(errno);
        }
        Writers::TearDown();
    }
    QString file() const { return dir.file(QString::fromLatin1(Database::spotsFileName)); }
    // Read-only to whoever runs the test: bound read-only over itself for root, else its mode.
    void setReadOnly(bool on)
    {
        const QByteArray path = QFile::encodeName(file());
        if (::geteuid() != 0) {
            ASSERT_EQ(::chmod(path.constData(), on ? 0400 : 0600), 0);
        } else if (on) {
            ASSERT_EQ(::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr), 0)
                << std::strerror(errno);
            boundReadOnly = true;
            ASSERT_EQ(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
                      0)
                << std::strerror(errno);
        } else {
            ASSERT_EQ(::umount2(path.constData(), MNT_DETACH), 0) << std::strerror(errno);
            boundReadOnly = false;
        }
    }
    bool boundReadOnly = false;
};

TEST_P(ReadOnlySpotsFile, RowsWaitAndAreTriedAgainAtTheRetryInterval)
{
    QStringList first = {"2024-06-14 11:06:00", "G4ABC", "", "DL1ZZ", "", "50.11", "x", "TROPO"};
    ASSERT_TRUE(writeSpot(first));
    setReadOnly(true);
    // The connection opened before still writes: the layer opens the file again, read-only now.
    db->CLOSE_DATABASES();
    open();
    ASSERT_TRUE(db->isOpen());
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> reopened;
    QObject::connect(db.get(), &Database::databasesOpened, writers,
                     [&] { reopened.push_back(clock.elapsed()); });
    std::vector<qint64> told;
    QObject::connect(writers, &SpotWriters::storingChanged, writers,
                     [&] { told.push_back(clock.elapsed()); });
    QStringList second = {"2024-06-14 11:07:00", "G4ABC", "", "DL2ZZ", "", "50.11", "x", "TROPO"};
    EXPECT_FALSE(writeSpot(second));
    EXPECT_EQ(writers->notStoring(),
              QStringLiteral(
                  "Spots are not being stored (attempt to write a readonly database): 1 waiting in memory"));
    const qint64 interval = SpotWriters::diskRetryInterval.count();
    QTest::qWait(int(interval * 7 / 2));
    // The first try and a retry about each interval, each said; never closer (a timer may be 5 %
    // early), and none on a connection made anew.
    EXPECT_GE(told.size(), 3u);
    EXPECT_LE(told.size(), 5u);
    qint64 closest = interval;
    for (size_t i = 1; i < told.size(); ++i) {
        closest = std::min(closest, told[i] - told[i - 1]);
    }
    EXPECT_GE(closest, interval * 95 / 100);
    EXPECT_EQ(reopened, std::vector<qint64>{});
    setReadOnly(false);
    EXPECT_EVENTUALLY(writers->backlogRows() == 0 && writers->notStoring().isEmpty(), 5000);
    EXPECT_EQ(reopened.size(), 1u);
    EXPECT_EQ(column(Store::Spots, QStringLiteral("SELECT Spot_Call2 FROM tblAllSpots ORDER BY Spot_Date")),
              QVariantList({QStringLiteral("DL1ZZ"), QStringLiteral("DL2ZZ")}));
}

INSTANTIATE_TEST_SUITE_P(File, ReadOnlySpotsFile, ::testing::Values(Backend::Sqlite), backendName);

// ---------------------------------------------------------------------------------------------
// The writers over a layer of their own on the test server, reached through a relay, under a
// watch quick enough for a test, in the proportions the program uses.

constexpr ServerWatch::Timing quick{milliseconds(300), milliseconds(500), milliseconds(4000)};

struct ServerWrites
{
    ServerWrites()
    {
        server.aim(settings);
        db.setServerSchema(server.schema);
        db.setServerWatch(watch);
        db.setServerRetryInterval(milliseconds(100));
        db.OPEN_DATABASES(settings.strDbType);
    }
    ~ServerWrites()
    {
        proxy->answer();
        writers.reset();
        db.CLOSE_DATABASES();
    }

    // Each spot's called station in order, through the writers' own layer.
    QStringList calls(const char* table, const char* column)
    {
        QStringList out;
        QSqlQuery q;
        if (db.exec(Store::Spots,
                    QStringLiteral("SELECT %2 FROM %1 ORDER BY %2")
                        .arg(QLatin1String(table), QLatin1String(column)),
                    {}, &q)) {
            while (q.next()) {
                out << q.value(0).toString();
            }
        }
        return out;
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer server{"wr"};
    ServerCutProxy* proxy = server.proxy.get();
    std::shared_ptr<ServerWatch> watch = std::make_shared<ServerWatch>(quick);
    Database db{settings, folder, log, {}};
    bool busy = false;
    std::unique_ptr<SpotWriters> writers = std::make_unique<SpotWriters>(db, log, busy);
};

// The server's answer to a write is held on the path past the moment the watch cuts the
// statement, and the server answers again a moment later: the spot is stored exactly once.
struct HeldAnswer
{
    const char* name;
    // What makes the writers' statement wait on the server, so that the test knows it has gone:
    // statements on the test's own session, the one that releases it, and the count of the
    // writers' waits on it.
    QStringList hold;
    QString release;
    QString waiting;
    // Statements that make the tables ready for it.
    QStringList setup;
};

void PrintTo(const HeldAnswer& c, std::ostream* os)
{
    *os << c.name;
}

class UnansweredWrite : public ::testing::TestWithParam<HeldAnswer>
{
};

// A key of this run's own for the advisory lock that holds a commit.
const qint64 commitKey = qint64(QRandomGenerator::global()->bounded(1 << 30)) + 1;

TEST_P(UnansweredWrite, TheSpotIsStoredExactlyOnce)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const HeldAnswer& c = GetParam();
    ServerWrites s;
    ASSERT_TRUE(s.db.isOpen());
    onServer(s.server.schema, c.setup);
    storeSpot(*s.writers, 0, QStringLiteral("ES"), s.log);
    ASSERT_EQ(s.writers->backlogRows(), 0);

    std::promise<void> holding;
    std::atomic<bool> sawWait{false};
    std::thread conductor([&] {
        const QString name = uniqueName("conductor");
        {
            QSqlDatabase holder = openPostgres(name);
            QSqlQuery q(holder);
            q.exec(QStringLiteral("SET search_path TO ") + s.server.schema);
            for (const QString& statement : c.hold) {
                q.exec(statement);
            }
            holding.set_value();
            // The statement has gone: the writers' session waits on what the test holds.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!sawWait && std::chrono::steady_clock::now() < deadline) {
                sawWait = q.exec(c.waiting) && q.next() && q.value(0).toInt() > 0;
                std::this_thread::sleep_for(milliseconds(20));
            }
            s.proxy->silence();
            // The server finishes the statement; its answer stays on the path.
            q.exec(c.release);
            std::this_thread::sleep_for(std::chrono::seconds(3));
            s.proxy->answer();
        }
        QSqlDatabase::removeDatabase(name);
    });
    holding.get_future().wait();
    storeSpot(*s.writers, 1, QStringLiteral("ES"), s.log);
    EXPECT_EVENTUALLY(s.writers->backlogRows() == 0 && s.writers->notStoring().isEmpty(), 15000);
    conductor.join();
    EXPECT_TRUE(sawWait);
    EXPECT_GE(s.watch->cuts(), 1);
    EXPECT_EQ(s.calls("tblAllSpots", "Spot_Call2"), spotCalls({0, 1}));
    EXPECT_EQ(s.calls("tblSPOT", "DxCall2"), spotCalls({0, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Held, UnansweredWrite,
    ::testing::Values(
        // The insert waits on a lock of the table, and its answer is held.
        HeldAnswer{
            "InsertAnswer",
            {QStringLiteral("BEGIN"), QStringLiteral("LOCK TABLE tblAllSpots IN ACCESS EXCLUSIVE MODE")},
            QStringLiteral("ROLLBACK"),
            QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted AND"
                           " relation = 'tblallspots'::regclass"),
            {}},
        // The commit waits on a check deferred to it, and its answer is held.
        HeldAnswer{"CommitAnswer",
                   {QStringLiteral("SELECT pg_advisory_lock(%1)").arg(commitKey)},
                   QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(commitKey),
                   QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted AND locktype = 'advisory'"
                                  " AND objid = %1")
                       .arg(commitKey),
                   {QStringLiteral("CREATE FUNCTION held() RETURNS trigger LANGUAGE plpgsql AS"
                                   " $$ BEGIN PERFORM pg_advisory_xact_lock(%1); RETURN NULL; END $$")
                        .arg(commitKey),
                    QStringLiteral("CREATE CONSTRAINT TRIGGER held AFTER INSERT ON tblAllSpots"
                                   " DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION held()")}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
