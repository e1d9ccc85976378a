#pragma once
// The propagation keyword table tblProp in the spots database: created and seeded from the
// keyword seeds when missing, loaded into the classifier's list, and its distinct mode words for
// the mode selectors.

#include "spots/database.h"

#include <QStringList>

namespace zenthra {

class PropKeywords;

// Creates and seeds tblProp when it is missing (in one transaction), then loads it. The list is
// replaced only by a load that read every row; a failed load is logged and keeps the old list.
void POPULATE_PROPAGATION_ARRAYS(PropKeywords& keywords, Database& db);

// The distinct mode words of tblProp in ascending order, for a mode selector (its caller empties
// the selector and adds these). Empty when the query cannot be run.
QStringList FILL_PROPAGATION_LIST(Database& db);

// What the database runs after each opening, to seed the table and load the keywords' list.
Database::KeywordSeeding keywordSeeding(PropKeywords& keywords);

} // namespace zenthra
