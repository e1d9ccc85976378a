#pragma once
// The single-spot map's data: the spot texts of one UTC day, and the day's rows of one text.

#include "maps/map_canvas.h"
#include "maps/single_map_rules.h"
#include "spots/database.h"

#include <QDate>
#include <QStringList>

#include <functional>
#include <vector>

namespace zenthra {

// The day's spot texts, newest first, each as often as it is stored. False (with `why`) when
// the query failed; the texts read so far are kept.
bool querySpotTexts(Database& db, QDate day, QStringList& texts, SqlFailure* why = nullptr);

// The day's rows whose spot text is exactly `spotText` (compared as a value, so "_", "%" and
// "'" are plain characters), newest first.
bool querySpotRows(Database& db, QDate day, const QString& spotText, std::vector<singlemap::SpotRow>& rows,
                   SqlFailure* why = nullptr);

// Draws each row's marks in order, all marks of a row before the next row, with the ticks read
// afresh for every row. A mark on a locator that is not a square of the map is left out and the
// drawing goes on; the lines left out are returned (for the error log).
std::vector<singlemap::Mark> drawSpotRows(MapSurface& surface, const std::vector<singlemap::SpotRow>& rows,
                                          const std::function<singlemap::Ticks()>& ticks);

} // namespace zenthra
