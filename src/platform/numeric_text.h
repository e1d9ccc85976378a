#pragma once
// Whether a typed answer is a number as a whole, the test the input boxes make before they take
// an answer ("12abc" has a leading number but is not numeric).

#include <QStringView>

namespace zenthra::legacy {

// Blanks around the text are allowed; then a sign, digits with at most one decimal point (at least
// one digit in all) and an optional exponent ("E" or "D", a sign, digits). Anything else, the
// empty text included, is not numeric.
bool isNumeric(QStringView text);

} // namespace zenthra::legacy
