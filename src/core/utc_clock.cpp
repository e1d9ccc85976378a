#include "core/utc_clock.h"

#include "platform/clock.h"

namespace zenthra {

QDateTime GET_UTC_NOW(const Clock& clock)
{
    return clock.utcNow();
}

} // namespace zenthra
