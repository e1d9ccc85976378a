#include "topmost.h"

#include <QWidget>

namespace zenthra {

void SET_TOPMOST(QWidget* window, bool onTop)
{
    if (window == nullptr) {
        return;
    }
    if (window->testAttribute(Qt::WA_WState_Created) &&
        window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    const QRect geometry = window->geometry();
    const bool visible = window->isVisible();
    // Changing the flags re-creates the native window, which hides it and may move it.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window->setGeometry(geometry);
    if (visible) {
        window->show();
        window->raise();
    }
}

} // namespace zenthra
