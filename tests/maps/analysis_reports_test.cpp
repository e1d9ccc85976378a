// The analysis reports over stored rows, on SQLite and on the test PostgreSQL server.

#include "maps/analysis_reports.h"
#include "spots/database_fixture.h"
#include "support/postgres.h"
#include "support/print_qstring.h"

#include <QSqlError>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

const QString dashes = QString(80, u'-') + QStringLiteral("\r\n");

QDateTime at(int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2024, 6, day), QTime(hour, minute, second), Qt::UTC);
}

class Reports : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        open();
        ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
        reports = std::make_unique<AnalysisReports>(*db, log);
        // Spot_Date, calls, locators, detail, frequency, mode.
        spot(at(3, 9, 7), "G4ABC", "IO91WM", "EA7XYZ", "IM67AA", "first", 50.11, "ES");
        spot(at(3, 10, 0), "g4def", "IO80MM", "I5ABC", "", "second", 50.2, "ES");
        spot(at(3, 11, 30), "DL1AA", "", "G4ABC", "", "third", 144.3, "TROPO");
        spot(at(3, 12, 0), "ON4XX", "JO20AA", "EA3YY", "JN11BB", "fourth", 14.2, "F2");
        spot(at(2, 23, 59, 59), "G4ABC", "IO91WM", "EA7XYZ", "IM67AA", "day before", 50.3, "ES");
        spot(at(4, 0, 0), "G4ABC", "IO91WM", "EA7XYZ", "IM67AA", "day after", 50.3, "ES");
        run(Store::Spots,
            QStringLiteral(
                "INSERT INTO tblAllSpots (Spot_Date, Spot_Detail, Spot_Freq, Spot_Mode) VALUES (?, ?, ?, ?)"),
            {Database::dateValue(at(3, 8, 0)), QStringLiteral("no calls"), 50.4, QStringLiteral("ES")});
    }

    void spot(const QDateTime& when, const char* call1, const char* loc1, const char* call2, const char* loc2,
              const char* detail, double freq, const char* mode)
    {
        run(Store::Spots,
            QStringLiteral("INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2,"
                           " Spot_Detail, Spot_Freq, Spot_Mode) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {Database::dateValue(when), call1, loc1, call2, loc2, detail, freq, mode});
    }

    void esSpot(const QDateTime& when, const char* info, double freq, double muf, double fot, double elev2)
    {
        run(Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, qtf1, Elev1,"
                " QRB1, SpotInfo, CentreLoc, critfreq, MUF, TryFrom, TryTo, Qtf2, Elev2, QRB2, FOT)"
                " VALUES (?, 'G4ABC', 'IO91WM', 'EA7XYZ', 'IM67AA', ?, 190.49, 4.5, 1650.4, ?,"
                " 'IN78XM', 7.25, ?, 'JO01AA', 'IM58MM', 200, ?, 1800, ?)"),
            {Database::dateValue(when), freq, info, muf, elev2, fot});
    }

    AnalysisRequest day3(const char* mode = "ALL", const char* band = "ALL") const
    {
        AnalysisRequest r;
        r.start = at(3, 0, 0);
        r.end = at(3, 23, 59, 59);
        r.count = 150;
        r.mode = QString::fromLatin1(mode);
        r.band = QString::fromLatin1(band);
        return r;
    }

    QString report(const AnalysisRequest& r)
    {
        const std::optional<QString> text = reports->GET_ANALYSIS_DATA(r);
        EXPECT_TRUE(text.has_value());
        EXPECT_FALSE(reports->busy());
        return text.value_or(QString());
    }

    // The first line of each block ("dd mmm yyyy hh:mmz [DX DE detail]"), in report order.
    static QStringList details(const QString& text)
    {
        QStringList out;
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            if (const qsizetype at = line.indexOf(QLatin1String("[DX DE ")); at >= 0) {
                out << line.mid(at + 7).chopped(1);
            }
        }
        return out;
    }

    std::unique_ptr<AnalysisReports> reports;
};

TEST_P(Reports, AllModesOfOneDayNewestFirstWithExactBlocks)
{
    AnalysisRequest r = day3();
    r.homeLocator = QStringLiteral("jo01aa");
    EXPECT_EQ(report(r),
              QStringLiteral("ALL MODE ANALYSIS FOR SPOT_FREQ >0 (MHZ), ORDER BY DESC\r\n"
                             "ANALYSIS FOR DATE: MONDAY 03 JUNE 2024 between 00:00 and 23:59\r\n\r\n"
                             "03 Jun 2024 12:00z [DX DE fourth]\r\n"
                             "PROPAGATION MODE ~ ***F2***\r\n"
                             "FROM JO20AA TO JN11BB: QTF=190, QRB=1007km\r\n"
                             "FROM JO01AA TO JO20AA: QTF=110, QRB=304km (ON4XX)\r\n"
                             "FROM JO01AA TO JN11BB: QTF=171, QRB=1119km (EA3YY)\r\n") +
                  dashes +
                  QStringLiteral("03 Jun 2024 11:30z [DX DE third]\r\n"
                                 "PROPAGATION MODE ~ ***TROPO***\r\n") +
                  dashes +
                  QStringLiteral("03 Jun 2024 10:00z [DX DE second]\r\n"
                                 "PROPAGATION MODE ~ ***ES***\r\n"
                                 "FROM JO01AA TO IO80MM: QTF=257, QRB=218km (g4def)\r\n") +
                  dashes +
                  QStringLiteral("03 Jun 2024 09:07z [DX DE first]\r\n"
                                 "PROPAGATION MODE ~ ***ES***\r\n"
                                 "FROM IO91WM TO IM67AA: QTF=204, QRB=1725km\r\n"
                                 "FROM JO01AA TO IO91WM: QTF=349, QRB=57km (G4ABC)\r\n"
                                 "FROM JO01AA TO IM67AA: QTF=206, QRB=1680km (EA7XYZ)\r\n") +
                  dashes +
                  QStringLiteral("03 Jun 2024 08:00z [DX DE no calls]\r\n"
                                 "PROPAGATION MODE ~ ***ES***\r\n") +
                  dashes);
}

TEST_P(Reports, ModeBandCountDirectionAndTimes)
{
    EXPECT_EQ(details(report(day3("F2"))), QStringList({"fourth"}));
    EXPECT_EQ(details(report(day3("ALL", "2M"))), QStringList({"third"}));
    AnalysisRequest r = day3();
    r.count = 2;
    r.descending = false;
    EXPECT_EQ(details(report(r)), QStringList({"no calls", "first"}));
    r = day3();
    r.start = at(3, 9, 7);
    r.end = at(3, 11, 30);
    // No home locator: no lines from home.
    EXPECT_EQ(report(r).split(QStringLiteral("\r\n")).filter(QStringLiteral("FROM ")),
              QStringList({"FROM IO91WM TO IM67AA: QTF=204, QRB=1725km"}));
    EXPECT_EQ(details(report(r)), QStringList({"third", "second", "first"}));
    // All dates: every row of the band that has a call.
    r.allDates = true;
    r.band = QStringLiteral("6M");
    EXPECT_EQ(details(report(r)), QStringList({"day after", "second", "first", "day before"}));
}

TEST_P(Reports, CallPrefixIsBoundAndMatchesEitherCallInAnyCase)
{
    AnalysisRequest r = day3();
    r.call = QStringLiteral("g4");
    EXPECT_EQ(details(report(r)), QStringList({"third", "second", "first"}));
    // The user's own wildcards still work.
    r.call = QStringLiteral("%DE_");
    EXPECT_EQ(details(report(r)), QStringList({"second"}));
    // A quote is a character like any other: no match, no failure.
    r.call = QStringLiteral("O'BRIEN");
    EXPECT_EQ(details(report(r)), QStringList());
    r.call = QStringLiteral("x') OR ('1'='1");
    EXPECT_EQ(details(report(r)), QStringList());
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Reports, SporadicEResultsSortedByMufFotOrTime)
{
    esSpot(at(3, 10, 0), "ten", 50.11, 52.05, 44.25, -3.4);
    esSpot(at(3, 11, 0), "eleven", 50.2, 60.0, 40.0, 1.0);
    esSpot(at(3, 12, 0), "twelve", 70.2, 80.0, 42.0, -9.0);
    esSpot(at(2, 12, 0), "day before", 50.2, 90.0, 42.0, -9.0);
    AnalysisRequest r = day3("ES", "6M");
    const QString text = report(r);
    EXPECT_EQ(text, QStringLiteral("ES MODE ANALYSIS FOR (FREQ > 49 AND FREQ < 60) (MHZ), ORDER BY DESC\r\n"
                                   "ANALYSIS FOR DATE: MONDAY 03 JUNE 2024 between 00:00 and 23:59\r\n\r\n"
                                   "03 Jun 24 11:00z [DX DE eleven]\r\n"
                                   "es from IO91WM to IM67AA on 50.20. (QTF=190) (El=5) (QRB=1650km)\r\n"
                                   "Centre=IN78XM Crit Freq=7.3mhz\r\n"
                                   "From JO01AA try towards IM58MM   (QTF=200) (El=1) (QRB=1800km)\r\n"
                                   "MUF=60.0mhz  FOT=40.0mhz\r\n") +
                        dashes +
                        QStringLiteral("03 Jun 24 10:00z [DX DE ten]\r\n"
                                       "es from IO91WM to IM67AA on 50.11. (QTF=190) (El=5) (QRB=1650km)\r\n"
                                       "Centre=IN78XM Crit Freq=7.3mhz\r\n"
                                       "From JO01AA try towards IM58MM   (QTF=200) (El=-3) (QRB=1800km)\r\n"
                                       "MUF=52.1mhz  FOT=44.3mhz (Below Horizon.. TR/CHORDIAL?)\r\n") +
                        dashes);
    r.band = QStringLiteral("VHF");
    r.sortBy = SortColumn::Fot;
    EXPECT_EQ(details(report(r)), QStringList({"ten", "twelve", "eleven"}));
    r.sortBy = SortColumn::Time;
    r.descending = false;
    EXPECT_EQ(details(report(r)), QStringList({"ten", "eleven", "twelve"}));
    r.call = QStringLiteral("ea7");
    r.count = 1;
    EXPECT_EQ(details(report(r)), QStringList({"ten"}));
}

TEST_P(Reports, AnUnknownBandOrAFailingDatabaseGivesTheErrorTextAndALogLine)
{
    AnalysisRequest r = day3("ES", "11M");
    r.start = at(3, 14, 5);
    EXPECT_EQ(report(r), QStringLiteral("ERROR: -2147217900   No band condition for the band \"11M\"\r\n"
                                        "GET_ANALYSIS_DATA(03 Jun 2024 14:05:00,03 Jun 2024 23:59:59,150,ES,,"
                                        " DESC , MUF  DESC )\r\n"));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith(QLatin1String(
        "GET_ANALYSIS_DATA(03 Jun 2024 14:05:00,03 Jun 2024 23:59:59,150,ES,, DESC , MUF  DESC )")));
    run(Store::Spots, QStringLiteral("DROP TABLE tblAllSpots"));
    EXPECT_TRUE(report(day3()).startsWith(QLatin1String("ERROR: -2147217900   ")));
    db->CLOSE_DATABASES();
    EXPECT_TRUE(report(day3()).startsWith(QLatin1String("ERROR: -2147467259   ")));
    EXPECT_EQ(logLines().size(), 3);
}

// The session ended on the server, as a restart or a dropped link ends it: the later reports,
// which fail at once on the closed connection, keep the reason too.
// A connection to lose is the server's.
class ServerReports : public Reports
{
};

TEST_P(ServerReports, ALostServerConnectionKeepsItsReasonInEveryErrorText)
{
    QSqlQuery pid;
    ASSERT_TRUE(db->exec(Store::Spots, QStringLiteral("SELECT pg_backend_pid()"), {}, &pid) && pid.next());
    const int backend = pid.value(0).toInt();
    pid = QSqlQuery();
    {
        QSqlQuery end(zenthra::test::openPostgres(QStringLiteral("analysis_admin")));
        ASSERT_TRUE(end.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(backend)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("analysis_admin"));
    const QString first = report(day3());
    EXPECT_TRUE(first.startsWith(QLatin1String("ERROR: -2147467259   connection to the database lost: FATAL: "
                                               "terminating connection due to administrator command")))
        << first.toStdString();
    EXPECT_TRUE(
        first.endsWith(QLatin1String("\r\nGET_ANALYSIS_DATA(03 Jun 2024 00:00:00,03 Jun 2024 23:59:59,150,"
                                     "ALL, Spot_Freq >0 , DESC , MUF  DESC )\r\n")))
        << first.toStdString();
    EXPECT_EQ(report(day3()), first);
    EXPECT_EQ(logLines().size(), 2);
}

TEST_P(Reports, AnnouncementsOfOneDayNewestFirst)
{
    db->exec(Store::Spots, db->SET_SQL(4));
    const auto announce = [&](const QDateTime& when, const char* text) {
        run(Store::Spots, db->sql(Statement::InsertAnnounce),
            {QString::fromLatin1(text), Database::dateValue(when)});
    };
    announce(at(3, 23, 59, 30), "To SOLAR: quiet");
    announce(at(3, 8, 1), "WWV de W0MU <18>: SFI=150");
    announce(at(3, 9, 15), "G4ABC: anyone on 6m?");
    announce(at(3, 10, 0), "wcy de DK0WCY <10>: K=2");
    announce(at(2, 23, 0), "To ALL: yesterday");
    announce(at(4, 0, 0), "WWV de W0MU <00>: tomorrow");
    const QDateTime now = at(3, 12, 0);
    const QLocale uk(QLocale::English, QLocale::UnitedKingdom);
    // No date typed: the UTC day; the default count of 5 holds them all.
    EXPECT_EQ(reports->GET_ANNOUNCE_DATA(QString(), QString(), false, now, uk),
              QStringLiteral("ANNOUNCEMENTS FOR DATE: MONDAY 03 JUNE 2024\r\n\r\n"
                             "[2359z] To SOLAR: quiet\r\n"
                             "[1000z] wcy de DK0WCY <10>: K=2\r\n"
                             "[0915z] G4ABC: anyone on 6m?\r\n"
                             "[0801z] WWV de W0MU <18>: SFI=150\r\n"));
    EXPECT_EQ(reports->GET_ANNOUNCE_DATA(QStringLiteral("03/06/2024"), QStringLiteral("2"), true, now, uk),
              QStringLiteral("WWV / WCY ANNOUNCEMENTS FOR DATE: MONDAY 03 JUNE 2024\r\n\r\n"
                             "[2359z] To SOLAR: quiet\r\n"
                             "[1000z] wcy de DK0WCY <10>: K=2\r\n"
                             "[0801z] WWV de W0MU <18>: SFI=150\r\n"));
}

TEST_P(Reports, AnnouncementsWithoutTheirTableGiveTheErrorText)
{
    run(Store::Spots, QStringLiteral("DROP TABLE tblAnnounce"));
    const QString text =
        reports->GET_ANNOUNCE_DATA(QStringLiteral("junk"), QStringLiteral("3"), false, at(3, 12, 0));
    EXPECT_TRUE(text.startsWith(QLatin1String("ERROR: -2147217900"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QLatin1String("\r\nGET_ANNOUNCE_DATA(03 Jun 2024 12:00:00,5)")))
        << text.toStdString();
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Reports, OptionsListAllAndTheModeWordsThenTheBands)
{
    const AnalysisOptions options = reports->POPULATE_ANALYSIS_OPTIONS();
    ASSERT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_EQ(options.modes.mid(0, 3), QStringList({"ALL", "AU", "BS"}));
    EXPECT_EQ(options.modes.size(), 1 + column(Store::Spots, db->sql(Statement::DistinctModes)).size());
    EXPECT_EQ(options.bands, analysisBands());
    db->CLOSE_DATABASES();
    const AnalysisOptions failed = reports->POPULATE_ANALYSIS_OPTIONS();
    EXPECT_TRUE(failed.modes.isEmpty());
    EXPECT_FALSE(failed.bandsFilled);
    EXPECT_TRUE(failed.error.startsWith(QLatin1String("ERROR: -2147467259")));
    EXPECT_TRUE(failed.error.endsWith(QLatin1String("\r\nPOPULATE_ANALYSIS_OPTIONS()")));
}

INSTANTIATE_TEST_SUITE_P(Analysis, ServerReports, ::testing::Values(Backend::Postgres),
                         zenthra::test::backendName);
INSTANTIATE_TEST_SUITE_P(Analysis, Reports, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

} // namespace
