#pragma once
// The core services module's logging category, "zenthra.core": one per module, so that a filter rule
// (QT_LOGGING_RULES="zenthra.core.debug=true") shows or hides the whole module at once.

#include <QLoggingCategory>

namespace zenthra {

Q_DECLARE_LOGGING_CATEGORY(lcCore)

} // namespace zenthra
