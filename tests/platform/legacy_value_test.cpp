#include "platform/legacy_value.h"

#include <gtest/gtest.h>
#include <limits>

using namespace zenthra::legacy;

struct ValCase
{
    const char* text;
    double expected;
};

void PrintTo(const ValCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class ValTest : public ::testing::TestWithParam<ValCase>
{
};

TEST_P(ValTest, ReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(val(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ValTest,
                         ::testing::Values(ValCase{"", 0}, ValCase{"abc", 0}, ValCase{"12", 12},
                                           ValCase{"  12.5abc", 12.5}, ValCase{"1 2 3", 123},
                                           ValCase{"-3.25", -3.25}, ValCase{"+7", 7}, ValCase{"1.2.3", 1.2},
                                           ValCase{".5", 0.5}, ValCase{"50219", 50219}, ValCase{"1e3", 1000},
                                           ValCase{"2.5E-2x", 0.025}, ValCase{"4D2", 400}, ValCase{"3e", 3},
                                           ValCase{"-", 0}, ValCase{"\t 9\r\n", 9},
                                           ValCase{"144300.0  ON4UVW", 144300}, ValCase{"1e999", 0}));

TEST(RoundHalfEven, RoundsTiesToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.51), 3);
}

TEST(ToInt16, ChecksTheRangeAfterRounding)
{
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768.5), -32768); // ties to even stay in range
    EXPECT_FALSE(toInt16(32767.5).has_value());
    EXPECT_FALSE(toInt16(-32769).has_value());
    EXPECT_FALSE(toInt16(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_FALSE(toInt16(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_EQ(toInt16(0.4), 0);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(toInt32(2147483648.0).has_value());
}

TEST(ReadFlag, AcceptsWordsInAnyCaseAndNumbers)
{
    EXPECT_EQ(readFlag(u"True"), true);
    EXPECT_EQ(readFlag(u"FALSE"), false);
    EXPECT_EQ(readFlag(u"tRuE"), true);
    EXPECT_EQ(readFlag(u"-1"), true);
    EXPECT_EQ(readFlag(u"0"), false);
    EXPECT_EQ(readFlag(u"1"), true);
    EXPECT_FALSE(readFlag(u"yes").has_value());
    EXPECT_FALSE(readFlag(u"").has_value());
    EXPECT_EQ(flagText(true), "True");
    EXPECT_EQ(flagText(false), "False");
}

TEST(NumberText, PrintsLikeThePlatform)
{
    EXPECT_EQ(numberText(91.0), "91");
    EXPECT_EQ(numberText(-2147217900.0), "-2147217900");
    EXPECT_EQ(numberText(0.5), "0.5");
    EXPECT_EQ(numberText(-0.125), "-0.125");
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberText(0.898935755497445), "0.898935755497445");
    EXPECT_EQ(numberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(numberText(0.0001), "0.0001");
    EXPECT_EQ(numberText(0.00001), "1E-05");
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberText(-1.5e-7), "-1.5E-07");
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(50.2f), "50.2");
    EXPECT_EQ(numberText(0.001f * 50219.0f), "50.219");
    EXPECT_EQ(numberText(1.0f / 3.0f), "0.3333333");
}

TEST(Format, RoundsHalfAwayFromZeroOnTheDecimalForm)
{
    EXPECT_EQ(format(28.45f, u"0.0"), "28.5");
    EXPECT_EQ(format(28.45, u"0.0"), "28.5");
    EXPECT_EQ(format(2.675, u"0.00"), "2.68"); // the double is 2.67499999..., its decimal form 2.675
    EXPECT_EQ(format(-1.25, u"0.0"), "-1.3");
    EXPECT_EQ(format(0.5, u"0"), "1");
    EXPECT_EQ(format(2.5, u"0"), "3");
    EXPECT_EQ(format(921.4867, u"0"), "921");
    EXPECT_EQ(format(9.96, u"0.0"), "10.0");
    EXPECT_EQ(format(99.999, u"0.00"), "100.00");
    EXPECT_EQ(format(0.04, u"0.0"), "0.0");
    EXPECT_EQ(format(-0.04, u"0.0"), "0.0");
    EXPECT_EQ(format(72.5937, u"0.00"), "72.59");
    EXPECT_EQ(format(7.0, u"0.00"), "7.00");
    EXPECT_EQ(format(0.000123, u"0.000"), "0.000");
    EXPECT_EQ(format(1234567.0, u"0"), "1234567");
}

TEST(Trim, RemovesBlanksOnlyAndKeepsOtherWhiteSpace)
{
    EXPECT_EQ(trim(u"  DX de G0ABC  "_qs), "DX de G0ABC");
    EXPECT_EQ(trim(u"\tIO91\r\n "_qs), "\tIO91\r\n");
    EXPECT_EQ(trim(u"    "_qs), "");
    EXPECT_EQ(trim(QString()), "");
}
