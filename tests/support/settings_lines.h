#pragma once
// A settings file for a test that starts the program with a few options set.

#include "support/temp_folder.h"

#include <QStringList>
#include <map>

namespace zenthra::test {

// Writes the folder's zenthra.dat: `count` lines, empty but for the given ones (numbered from 1).
inline void prepareSettings(const TempFolder& dir, const std::map<int, QString>& values, int count = 123)
{
    QStringList lines(count);
    for (const auto& [n, value] : values) {
        lines[n - 1] = value;
    }
    dir.write(QStringLiteral("zenthra.dat"), fileOf(lines));
}

} // namespace zenthra::test
