#pragma once
// The single-spot map's data: the spot texts of one UTC day, and the day's rows of one text.

#include "maps/single_map_rules.h"
#include "spots/database.h"

#include <QDate>
#include <QStringList>

#include <vector>

namespace zenthra {

// The day's spot texts, newest first, each as often as it is stored. False (with `why`) when
// the query failed; the texts read so far are kept.
bool querySpotTexts(Database& db, QDate day, QStringList& texts, SqlFailure* why = nullptr);

// The day's rows whose spot text is exactly `spotText` (compared as a value, so "_", "%" and
// "'" are plain characters), newest first.
bool querySpotRows(Database& db, QDate day, const QString& spotText, std::vector<singlemap::SpotRow>& rows,
                   SqlFailure* why = nullptr);

} // namespace zenthra
