#include "platform/bounded_number.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

using zenthra::legacy::boundedNumber;
using zenthra::legacy::NumberBounds;
using zenthra::legacy::NumberReading;

namespace {

constexpr auto leading = NumberReading::LeadingNumber;
constexpr auto whole = NumberReading::WholeNumber;
constexpr auto decimal = NumberReading::DecimalText;

TEST(BoundedNumber, ReadsTheAnswerAsTheBoxDoesAndTakesItOnlyWithinTheBounds)
{
    struct Case
    {
        const char* answer;
        NumberBounds bounds;
        std::optional<double> taken;
    };
    const Case cases[] = {
        // The leading number counts, and no number reads as 0.
        {"110km", {leading, 80, 160}, 110},
        {"", {leading, 80, 160}, std::nullopt},
        {"", {leading, 0, 2000}, 0},
        {"abc", {leading, 0, 2000, false}, std::nullopt},
        {"80", {leading, 80, 160}, 80},
        {"79.99", {leading, 80, 160}, std::nullopt},
        {"160", {leading, 80, 160}, 160},
        {"160.01", {leading, 80, 160}, std::nullopt},
        {"111", {leading, 111, 10000, false}, std::nullopt},
        {"111.5", {leading, 111, 10000, false}, 111.5},
        {"1e999", {leading, 1, 10000}, std::nullopt},
        // Only a number as a whole.
        {"12abc", {whole, 6, 20}, std::nullopt},
        {" 12.5 ", {whole, 6, 20}, 12.5},
        {"1D1", {whole, 6, 20}, 10},
        {"-0", {whole, 0, 0}, 0},
        // Rounded half to even before the bounds.
        {"130.5", {whole, 90, 130, true, true}, 130},
        {"89.5", {whole, 90, 130, true, true}, 90},
        // A decimal number in the C locale.
        {" 65.5\n", {decimal, -3.4e38, 3.4e38}, 65.5},
        {"1e39", {decimal, -3.4e38, 3.4e38}, std::nullopt},
        {"nan", {decimal, -3.4e38, 3.4e38}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(boundedNumber(QString::fromLatin1(c.answer), c.bounds), c.taken) << c.answer;
    }
}

} // namespace
