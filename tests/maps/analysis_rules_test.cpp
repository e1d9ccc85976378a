// The analysis reports' rules without a database: range, counts, band conditions and remarks.

#include "maps/analysis_rules.h"
#include "maps/map_query.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

using namespace zenthra;

namespace {

TEST(Range, FollowsTheTypedDateAndTimesElseTheUtcDay)
{
    struct Row
    {
        const char* date;
        const char* start;
        const char* finish;
        const char* from; // expected, ISO
        const char* to;
    };
    for (const Row& r : {// Nothing typed: the whole UTC day.
                         Row{"", "", "", "2024-06-03T00:00:00Z", "2024-06-03T23:59:59Z"},
                         Row{"21/05/24", "14:05", "", "2024-05-21T14:05:00Z", "2024-05-21T23:59:59Z"},
                         Row{"not a date", "3:22:10", "junk", "2024-06-03T03:22:10Z", "2024-06-03T23:59:59Z"},
                         // A start after the finish stays as typed (no row matches).
                         Row{"2024-05-21", "22:00", "21:00", "2024-05-21T22:00:00Z", "2024-05-21T21:00:00Z"},
                         Row{"21 May 2024", "", "25:00", "2024-05-21T00:00:00Z", "2024-05-21T23:59:59Z"},
                         // Two-digit years: 00-29 this century, 30-99 the last.
                         Row{"01/01/29", "", "", "2029-01-01T00:00:00Z", "2029-01-01T23:59:59Z"},
                         Row{"01/01/30", "", "", "1930-01-01T00:00:00Z", "1930-01-01T23:59:59Z"}}) {
        const AnalysisRange range = analysisRange(QString::fromLatin1(r.date), QString::fromLatin1(r.start),
                                                  QString::fromLatin1(r.finish), QDate(2024, 6, 3),
                                                  QLocale(QLocale::English, QLocale::UnitedKingdom));
        EXPECT_EQ(range.start, QDateTime::fromString(QString::fromLatin1(r.from), Qt::ISODate).toUTC())
            << r.date;
        EXPECT_EQ(range.end, QDateTime::fromString(QString::fromLatin1(r.to), Qt::ISODate).toUTC()) << r.date;
        EXPECT_EQ(range.start.timeSpec(), Qt::UTC);
    }
}

TEST(AnalysisDate, FollowsTheLocaleOrder)
{
    EXPECT_EQ(mapDate(QStringLiteral("06/03/24"), QLocale(QLocale::English, QLocale::UnitedStates)),
              QDate(2024, 6, 3));
    EXPECT_EQ(mapDate(QStringLiteral("31/02/24"), QLocale::c()), std::nullopt);
}

TEST(Counts, ReportIsTheLeadingNumberOrFiveBelowOne)
{
    // SQL would read a negative limit as no limit; 9e99 is beyond the 16-bit range.
    using Row = std::pair<const char*, int>;
    for (const auto& [text, count] : {Row{"", 5}, Row{"0", 5}, Row{"-1", 5}, Row{"9e99", 5}, Row{"150", 150},
                                      Row{"12ab", 12}, Row{"2.5", 2}, Row{"3.5", 4}}) {
        EXPECT_EQ(analysisCount(QString::fromLatin1(text)), count) << text;
    }
}

TEST(Counts, AnnouncementsAreFiveUnlessBetweenFiveAnd9999)
{
    using Row = std::pair<const char*, int>;
    for (const auto& [text, count] : {Row{"3", 5}, Row{"10000", 5}, Row{"9999", 9999}, Row{"40x", 40}}) {
        EXPECT_EQ(announceCount(QString::fromLatin1(text)), count) << text;
    }
}

TEST(Bands, ConditionsForBothTables)
{
    struct Row
    {
        const char* band;
        const char* spots;
        const char* sporadicE;
    };
    for (const Row& r : {Row{"ALL", " Spot_Freq >0 ", " Freq > 0 "},
                         Row{"6M", " (Spot_Freq > 49 AND Spot_Freq < 60) ", " (Freq > 49 AND Freq < 60) "},
                         Row{"70CM", " (Spot_Freq > 400 AND Spot_Freq < 600) ", " (Freq = 0) "}}) {
        EXPECT_EQ(bandCondition(QString::fromLatin1(r.band), false), QString::fromLatin1(r.spots)) << r.band;
        EXPECT_EQ(bandCondition(QString::fromLatin1(r.band), true), QString::fromLatin1(r.sporadicE))
            << r.band;
    }
    for (const char* unknown : {"6m", "", "11M"}) {
        EXPECT_EQ(bandCondition(QString::fromLatin1(unknown), false), std::nullopt) << unknown;
    }
}

TEST(Remark, FollowsTheElevationAsPrinted)
{
    using Row = std::pair<float, const char*>;
    for (const auto& [elevation, remark] :
         {Row{-8.6f, " (WAY BELOW HORIZON!!!!!)"}, Row{-8.4f, " (Below Horizon....)"},
          Row{-0.6f, " (Below Horizon.. TR/CHORDIAL?)"}, Row{-0.4f, ""}}) {
        EXPECT_EQ(elevationRemark(elevation), QString::fromLatin1(remark)) << elevation;
    }
}

} // namespace
