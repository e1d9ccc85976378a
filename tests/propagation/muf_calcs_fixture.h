#pragma once
// A calculator writing to the error log of a fresh data folder, and helpers to read that log.

#include "core/error_log.h"
#include "platform/clock.h"
#include "propagation/muf_calcs.h"
#include "support/temp_folder.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace zenthra::test {

struct Position
{
    double lat;
    double lon;
};

// The centre of a locator's subsquare, radians.
inline Position at(const QString& locator)
{
    return {MufCalcs::LOCATOR_TO_LATITUDE(locator), MufCalcs::LOCATOR_TO_LONGITUDE(locator)};
}

class MufCalcsTest : public ::testing::Test
{
protected:
    // The log's lines without date and time: "number - text".
    QStringList logged() const
    {
        QStringList entries;
        for (const QString& line : dir.lines(QLatin1String(ErrorLog::fileName))) {
            entries << line.section(u'\t', 1);
        }
        return entries;
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    MufCalcs calc{log};
};

} // namespace zenthra::test
