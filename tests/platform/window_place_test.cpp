// The one rule by which every window fits a stored place and size to the screens.

#include "platform/window_place.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

using zenthra::TwipsPoint;
using zenthra::TwipsRect;

namespace zenthra {
void PrintTo(const TwipsRect& r, std::ostream* os)
{
    *os << "{top " << r.top << ", left " << r.left << ", width " << r.width << ", height " << r.height << "}";
}
} // namespace zenthra

namespace {

// 1920 x 1050 and 1280 x 1024 pixels at 96 dpi, side by side; the first one's panel takes 30 pixels.
const TwipsRect left{.top = 0, .left = 0, .width = 28800, .height = 15750};
const TwipsRect right{.top = 0, .left = 28800, .width = 19200, .height = 15360};
const TwipsPoint home{.top = 0, .left = 0};

struct Case
{
    const char* name;
    TwipsRect wanted;
    TwipsRect expected;
};

class FitToScreens : public ::testing::TestWithParam<Case>
{
};

TEST_P(FitToScreens, OnTwoScreens)
{
    const Case& c = GetParam();
    EXPECT_EQ(zenthra::fitToScreens(c.wanted, {left, right}, home), c.expected);
}

constexpr float huge = 999999999;
constexpr float inf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Geometry, FitToScreens,
                         ::testing::Values(Case{"fits_as_stored",
                                                {.top = 1500, .left = 3000, .width = 10110, .height = 8055},
                                                {.top = 1500, .left = 3000, .width = 10110, .height = 8055}},
                                           Case{"fills_the_screen_exactly",
                                                {.top = 0, .left = 0, .width = 28800, .height = 15750},
                                                {.top = 0, .left = 0, .width = 28800, .height = 15750}},
                                           Case{"on_the_second_screen_as_stored",
                                                {.top = 600, .left = 30000, .width = 9000, .height = 6000},
                                                {.top = 600, .left = 30000, .width = 9000, .height = 6000}},
                                           Case{"size_past_every_screen",
                                                {.top = 0, .left = 0, .width = huge, .height = huge},
                                                {.top = 0, .left = 0, .width = 28800, .height = 15750}},
                                           Case{"infinite_size",
                                                {.top = 15, .left = 15, .width = inf, .height = inf},
                                                {.top = 0, .left = 0, .width = 28800, .height = 15750}},
                                           Case{"too_wide_moves_left_within_its_screen",
                                                {.top = 1500, .left = 20000, .width = 12000, .height = 6000},
                                                {.top = 1500, .left = 16800, .width = 12000, .height = 6000}},
                                           Case{"mostly_on_the_second_screen_goes_there",
                                                {.top = 1500, .left = 27000, .width = 9000, .height = 6000},
                                                {.top = 1500, .left = 28800, .width = 9000, .height = 6000}},
                                           Case{"second_screen_is_the_shorter",
                                                {.top = 9000, .left = 36000, .width = 9000, .height = 15750},
                                                {.top = 0, .left = 36000, .width = 9000, .height = 15360}},
                                           Case{"hanging_below_the_panel_moves_up",
                                                {.top = 12000, .left = 1500, .width = 9000, .height = 6000},
                                                {.top = 9750, .left = 1500, .width = 9000, .height = 6000}},
                                           Case{"a_little_above_the_top_moves_down",
                                                {.top = -150, .left = -90, .width = 9000, .height = 6000},
                                                {.top = 0, .left = 0, .width = 9000, .height = 6000}},
                                           Case{"top_off_every_screen_goes_home",
                                                {.top = 1e8F, .left = 3000, .width = 9000, .height = 6000},
                                                {.top = 0, .left = 0, .width = 9000, .height = 6000}},
                                           Case{"left_past_both_screens_goes_home",
                                                {.top = 1500, .left = 48000, .width = 9000, .height = 6000},
                                                {.top = 0, .left = 0, .width = 9000, .height = 6000}},
                                           Case{"in_the_gap_below_the_second_screen_goes_home",
                                                {.top = 15400, .left = 30000, .width = 900, .height = 300},
                                                {.top = 0, .left = 0, .width = 900, .height = 300}},
                                           Case{"no_number_at_all_goes_home_at_the_screen_size",
                                                {.top = std::numeric_limits<float>::quiet_NaN(),
                                                 .left = 0,
                                                 .width = std::numeric_limits<float>::quiet_NaN(),
                                                 .height = 6000},
                                                {.top = 0, .left = 0, .width = 28800, .height = 6000}}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

TEST(FitToScreensRule, TheDefaultPlaceIsItselfKeptOnAScreen)
{
    const TwipsRect away{.top = 1e8F, .left = 0, .width = 9000, .height = 6000};
    // A default place on the second screen stays there; one on no screen goes onto the first.
    EXPECT_EQ(zenthra::fitToScreens(away, {left, right}, {.top = 300, .left = 45000}),
              (TwipsRect{.top = 300, .left = 39000, .width = 9000, .height = 6000}));
    EXPECT_EQ(zenthra::fitToScreens(away, {left, right}, {.top = -5000, .left = -5000}),
              (TwipsRect{.top = 0, .left = 0, .width = 9000, .height = 6000}));
}

TEST(FitToScreensRule, WithoutAnyScreenTheStoredGeometryIsKept)
{
    const TwipsRect wanted{.top = huge, .left = 1, .width = 2, .height = 3};
    EXPECT_EQ(zenthra::fitToScreens(wanted, {}, home), wanted);
}

TEST(FitToScreensRule, PixelsAndTwipsByNameAtTheScreensDpi)
{
    const zenthra::Dpi dpi{.x = 96, .y = 120};
    const TwipsRect r = zenthra::pixelsToTwips(QRect(10, 20, 300, 400), dpi);
    EXPECT_EQ(r, (TwipsRect{.top = 240, .left = 150, .width = 4500, .height = 4800}));
    EXPECT_EQ(zenthra::twipsToPixels(r, dpi), QRect(10, 20, 300, 400));
}

} // namespace
