#pragma once
// What start-up, shut-down and the settings file need of the main window. The window
// implements it; the application object drives it without knowing any widget.

#include "platform/window_place.h"

#include <QString>

namespace zenthra {

class ShellView
{
public:
    virtual ~ShellView() = default;

    // Outer geometry (frame included), in twips.
    virtual TwipsRect geometryTwips() const = 0;
    virtual void setHeightTwips(float twips) = 0;
    virtual void setWidthTwips(float twips) = 0;
    virtual void setTopTwips(float twips) = 0;
    virtual void setLeftTwips(float twips) = 0;
    // A stored outer geometry fitted to the screens the window is shown on (the rule of
    // platform/window_place.h), `defaultPlace` for one that lies on no screen.
    virtual TwipsRect fitToScreens(const TwipsRect& wanted, const TwipsPoint& defaultPlace) const = 0;
    // Neither minimised nor maximised.
    virtual void setNormalState() = 0;

    // Shows the window and lets the pending window events run once.
    virtual void showAndSettle() = 0;

    // Point size of every text window.
    virtual void applyFontSize(int points) = 0;

    // The WWC tab's split view: the DXC copy above the chat.
    virtual void setSplitView(bool on) = 0;
};

} // namespace zenthra
