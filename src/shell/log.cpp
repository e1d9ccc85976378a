#include "shell/log.h"

namespace zenthra {

Q_LOGGING_CATEGORY(lcShell, "zenthra.shell")

} // namespace zenthra
