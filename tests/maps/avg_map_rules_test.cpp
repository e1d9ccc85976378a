#include "maps/avg_map_query.h"
#include "maps/avg_map_rules.h"

#include <gtest/gtest.h>

using namespace zenthra;
using namespace zenthra::avgmap;

TEST(AvgMapScale, FourStepsOfRedPerMegahertzAboveFifty)
{
    // The last row is a single-precision 80.2 read back from the database.
    for (const auto& [muf, red] : std::initializer_list<std::pair<double, int>>{{80.2, 120},
                                                                                {49.9, 0},
                                                                                {113.75, 255},
                                                                                {50.24, 0},
                                                                                {50.25, 1},
                                                                                {200, 255},
                                                                                {double(80.2f), 120}}) {
        EXPECT_EQ(redOf(muf), red) << muf;
        EXPECT_EQ(dotColour(muf), qRgb(red, 0, 0)) << muf;
    }
}

TEST(AvgMapList, LineCutsMufAndCountToThreeCharactersAndHeaderNamesTheDay)
{
    EXPECT_EQ(listLine({QStringLiteral("IO91"), 104.99, 3}), QStringLiteral("IO91 104 3  "));
    EXPECT_EQ(listLine({QStringLiteral("KM72"), 1234.5, 1005}), QStringLiteral("KM72 123 100"));
    EXPECT_EQ(listHeader(QDate(2005, 6, 30), QLocale(QLocale::English)).front(),
              QStringLiteral("30 June 05"));
}

TEST(AvgMapList, BadCentreSquareIsLeftOutAndTheListGoesOn)
{
    const std::vector<AvgSquare> squares{{QStringLiteral("JN45"), 80.2, 4},
                                         {QStringLiteral("jn4"), 75, 2},
                                         {QStringLiteral("ZZ99"), 70, 1},
                                         {QStringLiteral("IO90"), 49.9, 1}};
    const AvgMapPicture p = avgMapPicture(QDate(2026, 12, 5), squares, QLocale(QLocale::English));
    ASSERT_EQ(p.list.size(), 6);
    EXPECT_EQ(p.list[4], QStringLiteral("JN45 80  4  "));
    EXPECT_EQ(p.list[5], QStringLiteral("IO90 49  1  "));
    ASSERT_EQ(p.dots.size(), 2u);
    EXPECT_EQ(p.dots[1].square, QStringLiteral("IO90"));
    EXPECT_EQ(p.skipped, (QStringList{QStringLiteral("jn4"), QStringLiteral("ZZ99")}));
}

TEST(AvgMapDay, TodayIsTheUtcDay)
{
    // 23:30 on the 5th in UTC is already the 6th east of Greenwich.
    const QDateTime late(QDate(2026, 12, 5), QTime(23, 30), Qt::UTC);
    EXPECT_EQ(dayToShow(std::nullopt, late), QDate(2026, 12, 5));
    EXPECT_EQ(dayToShow(std::nullopt, late.toOffsetFromUtc(3600)), QDate(2026, 12, 5));
    EXPECT_EQ(dayToShow(QDate(2026, 11, 30), late), QDate(2026, 11, 30));
}

TEST(AvgMapDay, TypedDates)
{
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(dateOfAnswer(QStringLiteral(" 05/12/2026 "), english), QDate(2026, 12, 5));
    EXPECT_EQ(dateOfAnswer(QStringLiteral("31/02/2026"), english), std::nullopt);
}

TEST(RefreshAnswer, AverageWindowTakesTwentyToSixThousand)
{
    struct Row
    {
        std::optional<QString> answer;
        qint16 current;
        qint16 expected;
    };
    for (const Row& r :
         {Row{QStringLiteral("30"), 120, 30}, Row{QStringLiteral("6000"), 120, 6000},
          Row{QStringLiteral("20"), 120, 20}, Row{QStringLiteral("6001"), 45, 45},
          Row{QStringLiteral("19"), 45, 45}, Row{QStringLiteral("0"), 45, 120},
          Row{QStringLiteral("soon"), 45, 120}, Row{QStringLiteral("  "), 45, 45}, Row{QString(), 10, 120},
          Row{std::nullopt, 45, 45}, Row{QStringLiteral("31.5"), 45, 32}}) {
        EXPECT_EQ(refreshAnswer(r.answer, r.current), r.expected)
            << r.answer.value_or(QStringLiteral("<cancel>")).toStdString();
    }
}

TEST(RefreshAnswer, SingleWindowTakesUpToTheIntegerLimit)
{
    EXPECT_EQ(refreshAnswer(QStringLiteral("32767"), 120, 32767), 32767);
    EXPECT_EQ(refreshAnswer(QStringLiteral("40000"), 120, 32767), 120);
}
