#pragma once
// Where a window goes when it restores a stored place and size. A stored figure can be anything a
// file holds (a window of 999999999 twips, a Top far below every screen), so the one rule for all
// windows fits it to the screens' available areas (the desktop without panels and docks):
// - the window belongs to the screen that holds the largest part of it; a window that lies on no
//   screen at all goes to its default place, on the screen that holds that place (else the first);
// - a width or height larger than that screen's becomes the screen's; a size that fits comes back
//   as stored;
// - the place is then moved just far enough for the whole window to lie on that screen.
// With no screen known the stored geometry is kept.

#include "platform/twips.h"

#include <QList>
#include <QRect>

namespace zenthra {

struct TwipsPoint
{
    float top = 0;
    float left = 0;
};

TwipsRect fitToScreens(const TwipsRect& wanted, const QList<TwipsRect>& screens,
                       const TwipsPoint& defaultPlace);

// The available area of every screen, the primary one first, in twips at `dpi`.
QList<TwipsRect> availableScreens(Dpi dpi);

// The outer rectangle in pixels to give a window whose stored geometry is `wanted`: the rule above
// over the screens of this session.
QRect placeOnScreens(const TwipsRect& wanted, const TwipsPoint& defaultPlace, Dpi dpi);

} // namespace zenthra
