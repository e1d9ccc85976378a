#pragma once
// Where the scroll bars of a map stand: the range that lets the whole picture pass through its
// frame, and the values that bring a square to the middle of the frame. Frame sizes are twips,
// as the window keeps them; scroll values are pixels.

#include "maps/locator_grid.h"

#include <QPoint>
#include <QSize>

namespace zenthra {

struct ScrollRange
{
    int minimum = 0;
    int maximum = 0;
    friend bool operator==(const ScrollRange&, const ScrollRange&) = default;
};

// The frame the centring constants were measured on and where in it the square lands.
struct MapFrameConstants
{
    float frameWidth;  // twips
    float frameHeight; // twips
    float squareLeft;  // pixels from the frame's left edge
    float squareTop;   // pixels from the frame's top edge
};

// The main window's map, and the two separate map windows.
inline constexpr MapFrameConstants mainMapFrame{7995, 5655, 257, 190};
inline constexpr MapFrameConstants windowMapFrame{7995, 5715, 257, 190};

// Scroll values (horizontal, vertical) that put the square in the middle of a frame of the given
// size in twips (t twips a pixel), clamped to the ranges and rounded half to even.
QPoint STARTUP_POSITION(GridSquare square, QSizeF frameTwips, float twipsPerPixel, ScrollRange horizontal,
                        ScrollRange vertical, const MapFrameConstants& constants = mainMapFrame);

// Range of one scroll bar: from 0 to the part of the picture the frame cannot show at once.
ScrollRange scrollRange(int pictureLength, int frameLength);

} // namespace zenthra
