#include "core/log.h"

namespace zenthra {

Q_LOGGING_CATEGORY(lcCore, "zenthra.core")

} // namespace zenthra
