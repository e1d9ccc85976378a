#include "platform/window_place.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace zenthra {

namespace {

// The area two rectangles share; 0 when they do not meet or either has no extent.
double sharedArea(const TwipsRect& a, const TwipsRect& b)
{
    const double width =
        std::min(double(a.left) + a.width, double(b.left) + b.width) - std::max(a.left, b.left);
    const double height =
        std::min(double(a.top) + a.height, double(b.top) + b.height) - std::max(a.top, b.top);
    // NaN fails both tests, so a figure that is no number shares nothing.
    return width > 0 && height > 0 ? width * height : 0;
}

bool holds(const TwipsRect& screen, const TwipsPoint& p)
{
    return p.left >= screen.left && p.left < screen.left + screen.width && p.top >= screen.top &&
           p.top < screen.top + screen.height;
}

// A side no longer than the screen's; a figure that is no number or not positive takes the screen's.
float fittedSide(float side, float screenSide)
{
    return side > 0 ? std::min(side, screenSide) : screenSide;
}

// The start that keeps [start, start + side] inside [low, low + room].
float fittedStart(float start, float side, float low, float room)
{
    const float high = low + room - side;
    return std::isnan(start) ? low : std::clamp(start, low, std::max(low, high));
}

} // namespace

TwipsRect fitToScreens(const TwipsRect& wanted, const QList<TwipsRect>& screens,
                       const TwipsPoint& defaultPlace)
{
    if (screens.isEmpty()) {
        return wanted;
    }
    const TwipsRect* home = nullptr;
    double largest = 0;
    for (const TwipsRect& screen : screens) {
        if (const double area = sharedArea(wanted, screen); area > largest) {
            largest = area;
            home = &screen;
        }
    }
    TwipsRect out = wanted;
    if (!home) {
        out.top = defaultPlace.top;
        out.left = defaultPlace.left;
        const auto at = std::find_if(screens.begin(), screens.end(),
                                     [&](const TwipsRect& s) { return holds(s, defaultPlace); });
        home = at != screens.end() ? &*at : &screens.front();
    }
    out.width = fittedSide(out.width, home->width);
    out.height = fittedSide(out.height, home->height);
    out.left = fittedStart(out.left, out.width, home->left, home->width);
    out.top = fittedStart(out.top, out.height, home->top, home->height);
    return out;
}

QList<TwipsRect> availableScreens(Dpi dpi)
{
    QList<TwipsRect> out;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return out;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        out.append(pixelsToTwips(primary->availableGeometry(), dpi));
    }
    for (QScreen* screen : screens) {
        if (screen != primary) {
            out.append(pixelsToTwips(screen->availableGeometry(), dpi));
        }
    }
    return out;
}

QRect placeOnScreens(const TwipsRect& wanted, const TwipsPoint& defaultPlace, Dpi dpi)
{
    return twipsToPixels(fitToScreens(wanted, availableScreens(dpi), defaultPlace), dpi);
}

} // namespace zenthra
