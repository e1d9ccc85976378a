#pragma once
// What a received cluster line holds besides its text: terminal escape sequences (a node may
// colour its lines), control characters, replacement characters left by text that was not UTF-8.

#include <QString>

namespace zenthra {

// The text of `line` with terminal escape sequences and control characters taken out. TAB, CR and
// LF stay: the callers have their own rules for them. Text in windows-1252 that was read as
// Latin-1 shows its dashes and quotes as C1 controls; those come back as the letters they were.
// Replacement characters and broken surrogate pairs go. A line with nothing to take out is
// returned as it is.
QString plainText(const QString& line);

} // namespace zenthra
