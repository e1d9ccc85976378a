#include "maps/avg_map_settings.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::fileOf;
using zenthra::test::TempFolder;

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

TEST(MapperSettings, MissingFileSetsNothing)
{
    TempFolder dir;
    const MapperSettings s = readMapperSettings(dir.file(QStringLiteral("avg_mapper.dat")));
    EXPECT_FALSE(s.topToApply() || s.leftToApply() || s.widthToApply() || s.heightToApply());
    EXPECT_EQ(s.refreshRate, std::nullopt);
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
