#include "platform/legacy_value.h"

#include <gtest/gtest.h>
#include <limits>

using namespace zenthra::legacy;

TEST(Val, ReadsTheLeadingNumber)
{
    const struct
    {
        const char* text;
        double expected;
    } cases[] = {{"", 0},        {"abc", 0},         {"  12.5abc", 12.5}, {"1 2 3", 123}, {"-3.25", -3.25},
                 {"1.2.3", 1.2}, {"2.5E-2x", 0.025}, {"4D2", 400},        {"3e", 3},      {"1e999", 0}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(val(QString::fromUtf8(c.text)), c.expected) << c.text;
    }
}

TEST(ToInt16, RoundsTiesToEvenThenChecksTheRange)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_FALSE(toInt16(32767.5).has_value());
    EXPECT_FALSE(toInt16(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(toInt32(2147483648.0).has_value());
}

TEST(ReadFlag, AcceptsWordsInAnyCaseAndNumbers)
{
    EXPECT_EQ(readFlag(u"tRuE"), true);
    EXPECT_EQ(readFlag(u"FALSE"), false);
    EXPECT_EQ(readFlag(u"-1"), true);
    EXPECT_EQ(readFlag(u"0"), false);
    EXPECT_FALSE(readFlag(u"yes").has_value());
    EXPECT_EQ(flagText(true), "True");
}

TEST(NumberText, PrintsLikeThePlatform)
{
    EXPECT_EQ(numberText(-2147217900.0), "-2147217900");
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(numberText(0.0001), "0.0001");
    EXPECT_EQ(numberText(0.00001), "1E-05");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(0.001f * 50219.0f), "50.219");
    EXPECT_EQ(numberText(1.0f / 3.0f), "0.3333333");
}

TEST(Format, RoundsHalfAwayFromZeroOnTheDecimalForm)
{
    EXPECT_EQ(format(28.45f, u"0.0"), "28.5");
    EXPECT_EQ(format(2.675, u"0.00"), "2.68"); // the double is 2.67499999..., its decimal form 2.675
    EXPECT_EQ(format(-1.25, u"0.0"), "-1.3");
    EXPECT_EQ(format(99.999, u"0.00"), "100.00");
    EXPECT_EQ(format(-0.04, u"0.0"), "0.0");
    EXPECT_EQ(format(1234567.0, u"0"), "1234567");
}

TEST(Trim, RemovesBlanksOnlyAndKeepsOtherWhiteSpace)
{
    EXPECT_EQ(trim(u"\tIO91\r\n "_qs), "\tIO91\r\n");
    EXPECT_EQ(trim(u"    "_qs), "");
}
