// The one rule by which every window fits a stored place and size to the screens.

#include "platform/window_place.h"

#include <gtest/gtest.h>

#include <limits>

using zenthra::TwipsPoint;
using zenthra::TwipsRect;

namespace {

constexpr float huge = 999999999;
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

TEST(FitToScreens, OnTwoScreens)
{
    // 1920 x 1050 and 1280 x 1024 pixels at 96 dpi, side by side; the first one's panel takes 30
    // pixels. Each rectangle is top, left, width, height in twips.
    const QList<TwipsRect> screens{{0, 0, 28800, 15750}, {0, 28800, 19200, 15360}};
    const struct
    {
        const char* name;
        TwipsRect wanted;
        TwipsRect expected;
        TwipsPoint home{};
    } cases[] = {
        {"fits_as_stored", {1500, 3000, 10110, 8055}, {1500, 3000, 10110, 8055}},
        {"size_past_every_screen", {0, 0, huge, huge}, {0, 0, 28800, 15750}},
        {"infinite_size", {15, 15, inf, inf}, {0, 0, 28800, 15750}},
        {"no_number_goes_home_at_the_screen_size", {nan, 0, nan, 6000}, {0, 0, 28800, 6000}},
        {"too_wide_moves_left", {1500, 20000, 12000, 6000}, {1500, 16800, 12000, 6000}},
        {"mostly_on_the_second_screen_goes_there", {1500, 27000, 9000, 6000}, {1500, 28800, 9000, 6000}},
        {"second_screen_is_the_shorter", {9000, 36000, 9000, 15750}, {0, 36000, 9000, 15360}},
        {"below_the_panel_moves_up", {12000, 1500, 9000, 6000}, {9750, 1500, 9000, 6000}},
        {"above_the_top_moves_down", {-150, -90, 9000, 6000}, {0, 0, 9000, 6000}},
        {"top_off_every_screen_goes_home", {1e8F, 3000, 9000, 6000}, {0, 0, 9000, 6000}},
        {"in_the_gap_below_the_second_screen", {15400, 30000, 900, 300}, {0, 0, 900, 300}},
        {"home_on_the_second_screen_kept_there",
         {1e8F, 0, 9000, 6000},
         {300, 39000, 9000, 6000},
         {300, 45000}},
        {"home_on_no_screen_goes_to_the_first", {1e8F, 0, 9000, 6000}, {0, 0, 9000, 6000}, {-5000, -5000}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zenthra::fitToScreens(c.wanted, screens, c.home), c.expected) << c.name;
    }
    // With no screen known the stored figures are kept.
    EXPECT_EQ(zenthra::fitToScreens({huge, 1, 2, 3}, {}, {}), (TwipsRect{huge, 1, 2, 3}));
}

TEST(FitToScreens, PixelsAndTwipsAtTheScreensDpi)
{
    const zenthra::Dpi dpi{.x = 96, .y = 120};
    const TwipsRect r = zenthra::pixelsToTwips(QRect(10, 20, 300, 400), dpi);
    EXPECT_EQ(r, (TwipsRect{.top = 240, .left = 150, .width = 4500, .height = 4800}));
    EXPECT_EQ(zenthra::twipsToPixels(r, dpi), QRect(10, 20, 300, 400));
}

} // namespace
