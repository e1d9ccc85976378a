#include "maps/avg_map_query.h"
#include "maps/avg_map_rules.h"

#include <gtest/gtest.h>

using namespace zenthra;
using namespace zenthra::avgmap;

struct RedCase
{
    double muf;
    int red;
};

class RedOf : public ::testing::TestWithParam<RedCase>
{
};

TEST_P(RedOf, FourStepsPerMegahertzAboveFifty)
{
    EXPECT_EQ(redOf(GetParam().muf), GetParam().red) << GetParam().muf;
    EXPECT_EQ(dotColour(GetParam().muf), qRgb(GetParam().red, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Scale, RedOf,
                         ::testing::Values(RedCase{80.2, 120}, RedCase{49.9, 0}, RedCase{50, 0},
                                           RedCase{50.24, 0}, RedCase{50.25, 1}, RedCase{113.75, 255},
                                           RedCase{113.7, 254}, RedCase{200, 255},
                                           // A single-precision 80.2 read back from the database.
                                           RedCase{static_cast<double>(80.2f), 120}));

TEST(AvgMapList, LineCutsMufAndCountToThreeCharacters)
{
    EXPECT_EQ(listLine({QStringLiteral("JN45"), 67.8, 12}), QStringLiteral("JN45 67  12 "));
    EXPECT_EQ(listLine({QStringLiteral("IO91"), 104.99, 3}), QStringLiteral("IO91 104 3  "));
    EXPECT_EQ(listLine({QStringLiteral("KM72"), 1234.5, 1005}), QStringLiteral("KM72 123 100"));
}

TEST(AvgMapList, HeaderNamesTheDayWithATwoDigitYear)
{
    const QLocale english(QLocale::English);
    EXPECT_EQ(listHeader(QDate(2026, 12, 5), english),
              (QStringList{QStringLiteral("5 December 26"), QString(), QStringLiteral("LOC MUF No"),
                           QStringLiteral("----------------------")}));
    EXPECT_EQ(listHeader(QDate(2005, 6, 30), english).front(), QStringLiteral("30 June 05"));
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
    EXPECT_EQ(p.dots[0].colour, qRgb(120, 0, 0));
    EXPECT_EQ(p.dots[1].square, QStringLiteral("IO90"));
    EXPECT_EQ(p.dots[1].colour, qRgb(0, 0, 0));
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
    EXPECT_EQ(dateOfAnswer(QStringLiteral("2026-12-05"), english), QDate(2026, 12, 5));
    EXPECT_EQ(dateOfAnswer(english.toString(QDate(2026, 12, 5), QLocale::ShortFormat), english),
              QDate(2026, 12, 5));
    EXPECT_EQ(dateOfAnswer(QStringLiteral(" 05/12/2026 "), english), QDate(2026, 12, 5));
    EXPECT_EQ(dateOfAnswer(QStringLiteral("yesterday"), english), std::nullopt);
    EXPECT_EQ(dateOfAnswer(QString(), english), std::nullopt);
    EXPECT_EQ(dateOfAnswer(QStringLiteral("31/02/2026"), english), std::nullopt);
}

struct RateCase
{
    std::optional<QString> answer;
    qint16 current;
    qint16 expected;
};

class RefreshAnswer : public ::testing::TestWithParam<RateCase>
{
};

TEST_P(RefreshAnswer, AverageWindowTakesTwentyToSixThousand)
{
    const RateCase& c = GetParam();
    EXPECT_EQ(refreshAnswer(c.answer, c.current), c.expected)
        << c.answer.value_or(QStringLiteral("<cancel>")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Prompt, RefreshAnswer,
    ::testing::Values(RateCase{QStringLiteral("30"), 120, 30}, RateCase{QStringLiteral("6000"), 120, 6000},
                      RateCase{QStringLiteral("20"), 120, 20}, RateCase{QStringLiteral("6001"), 45, 45},
                      RateCase{QStringLiteral("19"), 45, 45}, RateCase{QStringLiteral("-30"), 45, 45},
                      RateCase{QStringLiteral("0"), 45, 120}, RateCase{QStringLiteral("soon"), 45, 120},
                      RateCase{QStringLiteral("0 s"), 45, 120}, RateCase{QStringLiteral("  "), 45, 45},
                      RateCase{QString(), 10, 120}, RateCase{std::nullopt, 45, 45},
                      RateCase{QStringLiteral("30.5"), 45, 30}, RateCase{QStringLiteral("31.5"), 45, 32}));

TEST(RefreshAnswer, SingleWindowTakesUpToTheIntegerLimit)
{
    EXPECT_EQ(refreshAnswer(QStringLiteral("32767"), 120, 32767), 32767);
    EXPECT_EQ(refreshAnswer(QStringLiteral("40000"), 120, 32767), 120);
    EXPECT_EQ(refreshAnswer(QStringLiteral("60000"), 300, 32767), 300);
    EXPECT_EQ(refreshAnswer(QStringLiteral("7000"), 300, 32767), 7000);
}

TEST(RefreshAnswer, PromptTexts)
{
    EXPECT_EQ(refreshPrompt(),
              QStringLiteral(
                  "Please type the number in seconds (Min 20 Max 6000) for  the refresh rate for the map"));
}
