#include "platform/bounded_number.h"

#include "platform/legacy_value.h"
#include "platform/numeric_text.h"

#include <QLocale>
#include <cmath>

namespace zenthra::legacy {

namespace {

std::optional<double> read(const QString& answer, NumberReading reading)
{
    switch (reading) {
    case NumberReading::LeadingNumber:
        return val(answer);
    case NumberReading::WholeNumber:
        if (!isNumeric(answer)) {
            return std::nullopt;
        }
        return val(answer);
    case NumberReading::DecimalText: {
        bool ok = false;
        const double v = QLocale::c().toDouble(answer.trimmed(), &ok);
        if (!ok) {
            return std::nullopt;
        }
        return v;
    }
    }
    return std::nullopt;
}

} // namespace

std::optional<double> boundedNumber(const QString& answer, const NumberBounds& bounds)
{
    std::optional<double> v = read(answer, bounds.reading);
    if (!v || std::isnan(*v)) {
        return std::nullopt;
    }
    if (bounds.roundedFirst) {
        *v = roundHalfEven(*v);
    }
    const bool aboveLow = bounds.lowIncluded ? *v >= bounds.low : *v > bounds.low;
    if (!aboveLow || *v > bounds.high) {
        return std::nullopt;
    }
    return v;
}

} // namespace zenthra::legacy
