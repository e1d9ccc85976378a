// The map windows' rules without a window: colours, list lines, days, refresh rates, marks and the
// settings files.

#include "maps/avg_map_query.h"
#include "maps/avg_map_rules.h"
#include "maps/avg_map_settings.h"
#include "maps/single_map_rules.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace zenthra::avgmap {

TEST(AvgMapScale, FourStepsOfRedPerMegahertzAboveFifty)
{
    // The last row is a single-precision 80.2 read back from the database.
    using Row = std::pair<double, int>;
    for (const auto& [muf, red] : {Row{80.2, 120}, Row{49.9, 0}, Row{113.75, 255}, Row{50.24, 0},
                                   Row{50.25, 1}, Row{200, 255}, Row{double(80.2f), 120}}) {
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
    EXPECT_EQ(dayOfAnswer(QStringLiteral(" 05/12/2026 "), english), QDate(2026, 12, 5));
    EXPECT_EQ(dayOfAnswer(QStringLiteral("31/02/2026"), english), std::nullopt);
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

} // namespace zenthra::avgmap

namespace zenthra {

using test::fileOf;
using test::TempFolder;

namespace {

MapperSettings readOf(const QStringList& lines)
{
    TempFolder dir;
    dir.write(QStringLiteral("avg_mapper.dat"), fileOf(lines));
    return readMapperSettings(dir.file(QStringLiteral("avg_mapper.dat")));
}

} // namespace

TEST(MapperSettings, FileWrittenIsReadBack)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("sng_mapper.dat"));
    ASSERT_TRUE(writeMapperSettings(path, {1200, 300, 9855, 6645}, 45,
                                    std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(dir.read(QStringLiteral("sng_mapper.dat")),
              fileOf({"1200", "300", "9855", "6645", "45", "True", "False", "True", "False"}));
    const MapperSettings s = readMapperSettings(path);
    EXPECT_EQ(std::tuple(s.topToApply(), s.leftToApply(), s.widthToApply(), s.heightToApply()),
              std::tuple(1200, 300, 9855, 6645));
    EXPECT_EQ(s.refreshRate, 45);
    EXPECT_EQ(s.ticks, (std::array<std::optional<bool>, 4>{true, false, true, false}));

    ASSERT_TRUE(writeMapperSettings(path, {0, 0, 9855, 6645}, 120));
    EXPECT_EQ(readMapperSettings(path).ticks[0], std::nullopt);
}

TEST(MapperSettings, PositionNeedsAPositiveWidthAndNoMinimisedPlace)
{
    const MapperSettings noWidth = readOf({"1200", "300", "0", "6645", "60"});
    EXPECT_EQ(noWidth.topToApply(), std::nullopt);
    EXPECT_EQ(noWidth.widthToApply(), std::nullopt);
    EXPECT_EQ(noWidth.heightToApply(), 6645);
    // A small positive width still lets the position through, but is not taken as a size.
    const MapperSettings narrow = readOf({"1200", "300", "400", "400"});
    EXPECT_EQ(narrow.topToApply(), 1200);
    EXPECT_EQ(narrow.widthToApply(), std::nullopt);
    EXPECT_EQ(readOf({"-48000", "-200", "9855", "6645", "120"}).leftToApply(), std::nullopt);
    EXPECT_EQ(readOf({"-199", "-199.5", "9855"}).leftToApply(), -199.5f);
}

TEST(MapperSettings, RateIsTheIntegerPartInTheIntegerRangeAndTicksTakeFlagsAndNumbers)
{
    EXPECT_EQ(readOf({"0", "0", "0", "0", "45.9"}).refreshRate, 45);
    EXPECT_EQ(readOf({"0", "0", "0", "0", "40000"}).refreshRate, std::nullopt);
    const MapperSettings s = readOf({"0", "0", "0", "0", "abc", "true", "0", "-1", "maybe"});
    EXPECT_EQ(s.refreshRate, 0);
    EXPECT_EQ(s.ticks, (std::array<std::optional<bool>, 4>{true, false, true, std::nullopt}));
}

} // namespace zenthra

namespace zenthra::singlemap {

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
    using Row = std::pair<std::optional<double>, std::optional<QRgb>>;
    for (const auto& [freq, colour] : {Row{140.01, red}, Row{140, grey}, Row{69.01, grey}, Row{69, white},
                                       Row{49.01, white}, Row{49, yellow}, Row{std::nullopt, {}}}) {
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

} // namespace zenthra::singlemap
