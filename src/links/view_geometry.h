#pragma once
// The separate DXC and WWC windows' geometry files (dxc_view.dat, wwc_view.dat): four lines in
// twips, Top, Left, Width, Height. A value that is not a number reads as 0; a Top or Left of 0
// or less and a Width or Height of 500 or less are not applied.

#include "platform/twips.h"

#include <QString>

namespace zenthra {

// The values of the file that apply; each one nothing when it does not (or the file is missing).
StoredTwipsRect readViewGeometry(const QString& path);
// Replaces the file whole; false when it cannot be written.
bool writeViewGeometry(const QString& path, const TwipsRect& g);

} // namespace zenthra
