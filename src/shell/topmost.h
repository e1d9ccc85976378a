#pragma once

class QWidget;

namespace zenthra {

// Keeps a window above all others, or releases it; position and size stay as they are.
void SET_TOPMOST(QWidget* window, bool onTop);

} // namespace zenthra
