#pragma once
// The platform module's logging category, "zenthra.platform": one per module, so that a filter rule
// (QT_LOGGING_RULES="zenthra.platform.debug=true") shows or hides the whole module at once.

#include <QLoggingCategory>

namespace zenthra {

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

} // namespace zenthra
