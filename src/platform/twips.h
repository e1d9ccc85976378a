#pragma once
// Stored window places and sizes are in twips, 1440 an inch; the screen's logical DPI (one for
// each direction) turns them into pixels and back.

#include <cmath>

namespace zenthra {

inline constexpr double twipsPerInch = 1440;

inline int twipsToPixels(double twips, int dpi)
{
    return static_cast<int>(std::lround(twips * dpi / twipsPerInch));
}

inline float pixelsToTwips(int pixels, int dpi)
{
    return static_cast<float>(std::round(double(pixels) * twipsPerInch / dpi));
}

} // namespace zenthra
