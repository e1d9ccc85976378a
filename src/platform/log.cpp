#include "platform/log.h"

namespace zenthra {

Q_LOGGING_CATEGORY(lcPlatform, "zenthra.platform")

} // namespace zenthra
