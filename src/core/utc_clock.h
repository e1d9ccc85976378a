#pragma once

#include <QDateTime>

namespace zenthra {

class Clock;

// The current UTC date and time, whole seconds. Spot times, map names, announcement dates and
// the clock label all use it.
QDateTime GET_UTC_NOW(const Clock& clock);

} // namespace zenthra
