#include "maps/map_scroll.h"

#include <algorithm>
#include <cmath>

namespace zenthra {

namespace {

int clampRounded(float value, ScrollRange range)
{
    if (value < 0) {
        return range.minimum;
    }
    if (value > static_cast<float>(range.maximum)) {
        return range.maximum;
    }
    // The current rounding mode is to nearest, halves to even.
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

QPoint STARTUP_POSITION(GridSquare square, QSizeF frameTwips, float twipsPerPixel, ScrollRange horizontal,
                        ScrollRange vertical, const MapFrameConstants& constants)
{
    const QPointF centre = squareCentre(square);
    const float t = twipsPerPixel > 0 ? twipsPerPixel : 15.0F;
    const float h = static_cast<float>(centre.x()) - constants.squareLeft +
                    (constants.frameWidth - static_cast<float>(frameTwips.width())) / t / 2;
    const float v = static_cast<float>(centre.y()) - constants.squareTop +
                    (constants.frameHeight - static_cast<float>(frameTwips.height())) / t / 2;
    return {clampRounded(h, horizontal), clampRounded(v, vertical)};
}

ScrollRange scrollRange(int pictureLength, int frameLength)
{
    return {0, std::max(0, pictureLength - frameLength)};
}

} // namespace zenthra
