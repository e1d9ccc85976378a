#pragma once
// The spots module's logging category, "zenthra.spots": one per module, so that a filter rule
// (QT_LOGGING_RULES="zenthra.spots.debug=true") shows or hides the whole module at once.

#include <QLoggingCategory>

namespace zenthra {

Q_DECLARE_LOGGING_CATEGORY(lcSpots)

} // namespace zenthra
