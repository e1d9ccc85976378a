#pragma once
// The windows' and the application's logging category, "zenthra.shell": one per module, so that a
// filter rule (QT_LOGGING_RULES="zenthra.shell.debug=true") shows or hides the whole module at once.

#include <QLoggingCategory>

namespace zenthra {

Q_DECLARE_LOGGING_CATEGORY(lcShell)

} // namespace zenthra
