#include "spots/log.h"

namespace zenthra {

Q_LOGGING_CATEGORY(lcSpots, "zenthra.spots")

} // namespace zenthra
