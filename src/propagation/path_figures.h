#pragma once
// A path's figures travel between the calculation steps as the text the reports and tables show,
// so each step reads exactly what the one before it printed. These read and write that text.

#include "platform/legacy_value.h"
#include "propagation/muf_calcs.h"

namespace zenthra::figures {

struct Point
{
    double lat;
    double lon;
};

// The centre of a locator square.
inline Point at(const QString& loc)
{
    return {MufCalcs::LOCATOR_TO_LATITUDE(loc), MufCalcs::LOCATOR_TO_LONGITUDE(loc)};
}

inline double num(const QString& text)
{
    return legacy::val(text);
}

inline QString text(double value)
{
    return legacy::numberText(value);
}

} // namespace zenthra::figures
