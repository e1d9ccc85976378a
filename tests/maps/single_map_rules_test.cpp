#include "maps/single_map_rules.h"

#include <gtest/gtest.h>

using namespace zenthra::singlemap;
using Kind = Mark::Kind;

namespace {

constexpr QRgb red = qRgb(255, 0, 0);
constexpr QRgb grey = qRgb(128, 128, 128);
constexpr QRgb white = qRgb(255, 255, 255);
constexpr QRgb yellow = qRgb(255, 255, 0);
constexpr QRgb black = qRgb(0, 0, 0);

SpotRow spot(std::optional<double> freq)
{
    return {{},
            QStringLiteral("spot"),
            freq,
            QStringLiteral("JO01"),
            QStringLiteral("IM58"),
            QStringLiteral("IN82"),
            QStringLiteral("IO91"),
            QStringLiteral("IM45")};
}

Mark line(const char* from, const char* to, QRgb colour)
{
    return {Kind::Line, QString::fromLatin1(from), QString::fromLatin1(to), colour};
}

Mark point(const char* at, QRgb colour)
{
    return {Kind::Point, QString::fromLatin1(at), {}, colour};
}

} // namespace

struct ColourCase
{
    std::optional<double> freq;
    std::optional<QRgb> colour;
};

class PathColour : public ::testing::TestWithParam<ColourCase>
{
};

TEST_P(PathColour, ByBand)
{
    EXPECT_EQ(pathColour(GetParam().freq), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Bands, PathColour,
                         ::testing::Values(ColourCase{144.3, red}, ColourCase{140.01, red},
                                           ColourCase{140, grey}, ColourCase{70.2, grey},
                                           ColourCase{69, white}, ColourCase{50.1, white},
                                           ColourCase{49, yellow}, ColourCase{28.5, yellow},
                                           ColourCase{std::nullopt, std::nullopt}));

TEST(SingleMapMarks, EveryTickInDrawingOrder)
{
    const std::vector<Mark> all = marksOf(spot(50.1), {true, true, true, true});
    const std::vector<Mark> expected{line("JO01", "IN82", white), line("IN82", "IM58", white),
                                     point("JO01", black),        point("IM58", black),
                                     point("IN82", yellow),       line("IO91", "IN82", black),
                                     line("IN82", "IM45", black), point("IO91", red),
                                     point("IM45", red),          point("IN82", yellow)};
    EXPECT_EQ(all, expected);
}

TEST(SingleMapMarks, YourPathAddsOnlyToTheTicksBesideIt)
{
    EXPECT_TRUE(marksOf(spot(144), {}).empty());
    EXPECT_TRUE(marksOf(spot(144), {false, false, false, true}).empty());
    EXPECT_EQ(marksOf(spot(144), {false, false, true, true}),
              (std::vector<Mark>{point("IN82", yellow), point("IN82", yellow)}));
    EXPECT_EQ(marksOf(spot(144), {false, true, false, true}),
              (std::vector<Mark>{point("JO01", black), point("IM58", black), point("IO91", red),
                                 point("IM45", red)}));
}

TEST(SingleMapMarks, NoFrequencyDrawsNoPathLineButTheHomePath)
{
    EXPECT_EQ(marksOf(spot(std::nullopt), {true, false, false, true}),
              (std::vector<Mark>{line("IO91", "IN82", black), line("IN82", "IM45", black)}));
}

TEST(SingleMapCaption, DayMonthNameAndFullYear)
{
    EXPECT_EQ(caption(QDate(2026, 12, 5), QLocale(QLocale::English)),
              QStringLiteral("Single Spot Mapping - 5 December 2026"));
    EXPECT_EQ(refreshPrompt(),
              QStringLiteral(
                  "Please type the number in seconds (Min 20 Max 60000) for  the refresh rate for the map"));
}
