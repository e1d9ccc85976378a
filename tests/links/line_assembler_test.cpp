#include "links/line_assembler.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

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

// The cluster's lines: pieces as read (nullptr: a flush, as at a new connection) -> the lines
// handed on, each ending in CR LF, and the tail.
TEST(LineAssembler, EveryLineEndEndsOneLineThoughAPairIsCutBetweenReads)
{
    const std::tuple<std::vector<const char*>, QStringList, const char*> cases[] = {
        {{"a\rb\nc\r\nd\n\re"}, {"a\r\n", "b\r\n", "c\r\n", "d\r\n"}, "e"},
        {{"a\r", "\nb\n", "\rc\r", "", "\n"}, {"a\r\n", "b\r\n", "c\r\n"}, ""},
        {{"a\r\r\n", "\n\n", "b\r", "\r\n"}, {"a\r\n", "\r\n", "\r\n", "\r\n", "b\r\n", "\r\n"}, ""},
        // The awaited half is awaited in the next piece only.
        {{"a\r", "bc", "\nd\n"}, {"a\r\n", "bc\r\n", "d\r\n"}, ""},
        {{"a\r", nullptr, "\nb\n"}, {"a\r\n", "\r\n", "b\r\n"}, ""},
    };
    for (const auto& [pieces, lines, tail] : cases) {
        LineAssembler a(LineAssembler::Ends::Every);
        QStringList got;
        for (const char* piece : pieces) {
            if (!piece) {
                EXPECT_EQ(a.flush(), "");
                continue;
            }
            got += a.feed(QString::fromLatin1(piece));
        }
        EXPECT_EQ(got, lines) << pieces.front();
        EXPECT_EQ(a.partial(), tail) << pieces.front();
    }
}
