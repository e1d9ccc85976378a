#pragma once
// Stored window places and sizes are in twips, 1440 an inch; the screen's logical DPI (one for
// each direction) turns them into pixels and back.

#include <QRect>
#include <cmath>
#include <optional>

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

// A window's outer place and size in twips. The geometry files keep the four figures in orders
// of their own, so every reader and writer names them (TwipsRect{.top = ..., .left = ...}).
struct TwipsRect
{
    float top = 0;
    float left = 0;
    float width = 0;
    float height = 0;

    bool operator==(const TwipsRect&) const = default;
};

// The figures a geometry file gives; each one nothing where the file has none that applies.
struct StoredTwipsRect
{
    std::optional<float> top;
    std::optional<float> left;
    std::optional<float> width;
    std::optional<float> height;

    // `fallback` with the stored figures put in.
    TwipsRect over(const TwipsRect& fallback) const
    {
        return {.top = top.value_or(fallback.top),
                .left = left.value_or(fallback.left),
                .width = width.value_or(fallback.width),
                .height = height.value_or(fallback.height)};
    }
};

// A screen's logical dots per inch across and down.
struct Dpi
{
    int x = 96;
    int y = 96;
};

inline QRect twipsToPixels(const TwipsRect& r, Dpi dpi)
{
    return {twipsToPixels(r.left, dpi.x), twipsToPixels(r.top, dpi.y), twipsToPixels(r.width, dpi.x),
            twipsToPixels(r.height, dpi.y)};
}

inline TwipsRect pixelsToTwips(const QRect& r, Dpi dpi)
{
    return {.top = pixelsToTwips(r.y(), dpi.y),
            .left = pixelsToTwips(r.x(), dpi.x),
            .width = pixelsToTwips(r.width(), dpi.x),
            .height = pixelsToTwips(r.height(), dpi.y)};
}

} // namespace zenthra
