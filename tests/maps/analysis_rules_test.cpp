// The analysis reports' rules without a database: range, count, bands, sort, headers and blocks.

#include "core/error_log.h"
#include "maps/analysis_rules.h"
#include "platform/clock.h"
#include "propagation/muf_calcs.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using namespace zenthra;

namespace {

const QDate today(2024, 6, 3);

struct RangeRow
{
    const char* date;
    const char* start;
    const char* finish;
    const char* from; // expected, ISO
    const char* to;
};

class Range : public ::testing::TestWithParam<RangeRow>
{
};

TEST_P(Range, FollowsTheTypedDateAndTimesElseTheUtcDay)
{
    const RangeRow& r = GetParam();
    const AnalysisRange range = analysisRange(QString::fromLatin1(r.date), QString::fromLatin1(r.start),
                                              QString::fromLatin1(r.finish), today,
                                              QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(range.start, QDateTime::fromString(QString::fromLatin1(r.from), Qt::ISODate).toUTC());
    EXPECT_EQ(range.end, QDateTime::fromString(QString::fromLatin1(r.to), Qt::ISODate).toUTC());
    EXPECT_EQ(range.start.timeSpec(), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, Range,
    ::testing::Values(
        // Nothing typed: the whole UTC day.
        RangeRow{"", "", "", "2024-06-03T00:00:00Z", "2024-06-03T23:59:59Z"},
        // A date and a start only: from that time to the day's end.
        RangeRow{"21/05/24", "14:05", "", "2024-05-21T14:05:00Z", "2024-05-21T23:59:59Z"},
        // Times only: on the UTC day.
        RangeRow{"", "03:22", "22:54", "2024-06-03T03:22:00Z", "2024-06-03T22:54:00Z"},
        RangeRow{"not a date", "3:22:10", "junk", "2024-06-03T03:22:10Z", "2024-06-03T23:59:59Z"},
        // A start after the finish stays as typed (no row matches).
        RangeRow{"2024-05-21", "22:00", "21:00", "2024-05-21T22:00:00Z", "2024-05-21T21:00:00Z"},
        RangeRow{"21 May 2024", "", "25:00", "2024-05-21T00:00:00Z", "2024-05-21T23:59:59Z"},
        // Two-digit years: 00-29 this century, 30-99 the last.
        RangeRow{"01/01/29", "", "", "2029-01-01T00:00:00Z", "2029-01-01T23:59:59Z"},
        RangeRow{"01/01/30", "", "", "1930-01-01T00:00:00Z", "1930-01-01T23:59:59Z"}));

TEST(AnalysisDate, FollowsTheLocaleOrder)
{
    EXPECT_EQ(analysisDate(QStringLiteral("06/03/24"), QLocale(QLocale::English, QLocale::UnitedStates)),
              QDate(2024, 6, 3));
    EXPECT_EQ(analysisDate(QStringLiteral("06/03/24"), QLocale(QLocale::English, QLocale::UnitedKingdom)),
              QDate(2024, 3, 6));
    EXPECT_EQ(analysisDate(QStringLiteral("31/02/24"), QLocale::c()), std::nullopt);
}

struct CountRow
{
    const char* text;
    int count;
};

class Count : public ::testing::TestWithParam<CountRow>
{
};

TEST_P(Count, IsTheLeadingNumberOrFiveBelowOne)
{
    EXPECT_EQ(analysisCount(QString::fromLatin1(GetParam().text)), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Analysis, Count,
                         ::testing::Values(CountRow{"", 5}, CountRow{"abc", 5}, CountRow{"0", 5},
                                           CountRow{"3", 3}, CountRow{"9999", 9999}, CountRow{"150", 150},
                                           CountRow{"12ab", 12}, CountRow{"2.5", 2}, CountRow{"3.5", 4},
                                           // SQL would read a negative limit as no limit.
                                           CountRow{"-1", 5},
                                           // Beyond the 16-bit range.
                                           CountRow{"9e99", 5}, CountRow{"9e3", 9000}));

TEST(Bands, TheListAndItsConditionsForBothTables)
{
    EXPECT_EQ(analysisBands(),
              QStringList({"ALL", "VHF", "HF",  "LF", "160M", "80M", "40M", "30M",  "20M",  "17M",
                           "15M", "12M", "10M", "6M", "4M",   "2M",  "1M",  "70CM", "23CM", "SHF"}));
    struct Row
    {
        const char* band;
        const char* spots;
        const char* sporadicE;
    };
    for (const Row& r : {Row{"ALL", " Spot_Freq >0 ", " Freq > 0 "},
                         Row{"LF", " (Spot_Freq > 0 AND Spot_Freq <= 1) ", " (Freq > 0 AND Freq <=1) "},
                         Row{"6M", " (Spot_Freq > 49 AND Spot_Freq < 60) ", " (Freq > 49 AND Freq < 60) "},
                         Row{"70CM", " (Spot_Freq > 400 AND Spot_Freq < 600) ", " (Freq = 0) "}}) {
        EXPECT_EQ(bandCondition(QString::fromLatin1(r.band), false), QString::fromLatin1(r.spots)) << r.band;
        EXPECT_EQ(bandCondition(QString::fromLatin1(r.band), true), QString::fromLatin1(r.sporadicE))
            << r.band;
    }
    for (const char* unknown : {"6m", "", "11M", " 6M"}) {
        EXPECT_EQ(bandCondition(QString::fromLatin1(unknown), false), std::nullopt) << unknown;
    }
}

TEST(Sort, DirectionAndOrderTexts)
{
    EXPECT_EQ(directionText(true), QStringLiteral(" DESC "));
    EXPECT_EQ(directionText(false), QStringLiteral(" ASC "));
    EXPECT_EQ(orderText(SortColumn::Muf, true), QStringLiteral(" MUF  DESC "));
    EXPECT_EQ(orderText(SortColumn::Fot, false), QStringLiteral(" FOT  ASC "));
    EXPECT_EQ(orderText(SortColumn::Time, true), QStringLiteral(" DxDateTime  DESC "));
}

TEST(Header, ModeBandDirectionAndDay)
{
    const QDateTime start(QDate(2024, 6, 3), QTime(14, 5), Qt::UTC);
    const QDateTime end(QDate(2024, 6, 3), QTime(23, 59, 59), Qt::UTC);
    EXPECT_EQ(analysisHeader("ES", " (Freq > 49 AND Freq < 60) ", " DESC ", start, end),
              QStringLiteral("ES MODE ANALYSIS FOR (FREQ > 49 AND FREQ < 60) (MHZ), ORDER BY DESC\r\n"
                             "ANALYSIS FOR DATE: MONDAY 03 JUNE 2024 between 14:05 and 23:59\r\n\r\n"));
    EXPECT_EQ(analysisHeader("ALL", " Spot_Freq >0 ", " ASC ", start, end).section("\r\n", 0, 0),
              QStringLiteral("ALL MODE ANALYSIS FOR SPOT_FREQ >0 (MHZ), ORDER BY ASC"));
}

struct RemarkRow
{
    float elevation;
    const char* remark;
};

class Remark : public ::testing::TestWithParam<RemarkRow>
{
};

TEST_P(Remark, FollowsTheElevationAsPrinted)
{
    EXPECT_EQ(elevationRemark(GetParam().elevation), QString::fromLatin1(GetParam().remark));
}

INSTANTIATE_TEST_SUITE_P(Analysis, Remark,
                         ::testing::Values(RemarkRow{-8.6f, " (WAY BELOW HORIZON!!!!!)"},
                                           RemarkRow{-8.4f, " (Below Horizon....)"},
                                           RemarkRow{-3.4f, " (Below Horizon.. TR/CHORDIAL?)"},
                                           RemarkRow{-0.6f, " (Below Horizon.. TR/CHORDIAL?)"},
                                           RemarkRow{-0.4f, ""}, RemarkRow{2.0f, ""}));

TEST(Blocks, NoHomeLinesWithoutAValidHomeLocator)
{
    test::TempFolder dir;
    Clock clock;
    ErrorLog log(dir.path(), clock);
    const MufCalcs calcs(log);
    const AllSpotsRow r{QDateTime(QDate(2024, 6, 3), QTime(9, 7), Qt::UTC),
                        QStringLiteral("G4ABC 50110.0 EA7XYZ"),
                        QStringLiteral("ES"),
                        QStringLiteral("IO91WM"),
                        QStringLiteral("IM67AA"),
                        QStringLiteral("G4ABC"),
                        QStringLiteral("EA7XYZ")};
    EXPECT_EQ(allSpotsBlock(r, QString(), calcs),
              QStringLiteral("03 Jun 2024 09:07z [DX DE G4ABC 50110.0 EA7XYZ]\r\n"
                             "PROPAGATION MODE ~ ***ES***\r\n"
                             "FROM IO91WM TO IM67AA: QTF=204, QRB=1725km\r\n") +
                  QString(80, u'-') + QStringLiteral("\r\n"));
}

TEST(Announcements, CountIsFiveUnlessBetweenFiveAnd9999)
{
    for (const auto& [text, count] : std::initializer_list<std::pair<const char*, int>>{
             {"3", 5}, {"10000", 5}, {"9999", 9999}, {"", 5}, {"40x", 40}}) {
        EXPECT_EQ(announceCount(QString::fromLatin1(text)), count) << text;
    }
}

} // namespace
