#include "links/line_assembler.h"

#include <gtest/gtest.h>

using zenthra::LineAssembler;

TEST(LineAssembler, KeepsTheUnfinishedTailUntilItsLineEnd)
{
    LineAssembler a;
    EXPECT_TRUE(a.feed("DX de G0ABC:     50313.0  CT7ZZZ").isEmpty());
    EXPECT_TRUE(a.hasPartial());
    EXPECT_EQ(
        a.feed("       FT8 Es IN50 JN59               2110Z\a\a\r\nDX de"),
        QStringList{"DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\a\a\r\n"});
    EXPECT_EQ(a.partial(), "DX de");
    EXPECT_EQ(a.feed(" X\nY\r\n\r\n"), (QStringList{"DX de X\n", "Y\r\n", "\r\n"}));
    EXPECT_FALSE(a.hasPartial());
}

TEST(LineAssembler, PassesEndlessTextOnInPieces)
{
    LineAssembler a;
    const QString big(LineAssembler::maxLine * 2 + 10, u'x');
    const QStringList pieces = a.feed(big);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0].size(), LineAssembler::maxLine);
    EXPECT_EQ(pieces[1].size(), LineAssembler::maxLine);
    EXPECT_EQ(a.partial().size(), 10);
}
