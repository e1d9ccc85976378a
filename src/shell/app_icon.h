#pragma once

#include <QIcon>

namespace zenthra {

// The program's one window icon, which every window of the program shows.
QIcon zenthraIcon();

} // namespace zenthra
