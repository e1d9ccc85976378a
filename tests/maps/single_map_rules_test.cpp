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

TEST(SingleMapPath, ColourByBand)
{
    for (const auto& [freq, colour] :
         std::initializer_list<std::pair<std::optional<double>, std::optional<QRgb>>>{{140.01, red},
                                                                                      {140, grey},
                                                                                      {69.01, grey},
                                                                                      {69, white},
                                                                                      {49.01, white},
                                                                                      {49, yellow},
                                                                                      {std::nullopt, {}}}) {
        EXPECT_EQ(pathColour(freq), colour) << freq.value_or(-1);
    }
}

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
    EXPECT_TRUE(marksOf(spot(144), {false, false, false, true}).empty());
    EXPECT_EQ(marksOf(spot(144), {false, true, false, true}),
              (std::vector<Mark>{point("JO01", black), point("IM58", black), point("IO91", red),
                                 point("IM45", red)}));
    // No frequency: no path line, but the line home still.
    EXPECT_EQ(marksOf(spot(std::nullopt), {true, false, false, true}),
              (std::vector<Mark>{line("IO91", "IN82", black), line("IN82", "IM45", black)}));
}
