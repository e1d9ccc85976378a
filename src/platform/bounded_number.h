#pragma once
// The rule of every input box that asks for a number within bounds: how the answer is read and
// which answers are taken. A refused answer leaves the setting as it was.

#include <QString>
#include <optional>

namespace zenthra::legacy {

enum class NumberReading
{
    // The leading number; a text without one (the empty answer of Cancel included) reads as 0.
    LeadingNumber,
    // A text that is a number as a whole, then its value ("12abc" is refused).
    WholeNumber,
    // A decimal number in the C locale as a whole, white space around it allowed.
    DecimalText,
};

struct NumberBounds
{
    NumberReading reading;
    double low;
    double high;
    // `high` always counts as taken; `low` unless this says otherwise.
    bool lowIncluded = true;
    // For a box that holds a whole number: the answer is rounded half to even before the bounds.
    bool roundedFirst = false;
};

// The number an answer gives, or nothing when it is refused (no number, or outside the bounds).
std::optional<double> boundedNumber(const QString& answer, const NumberBounds& bounds);

} // namespace zenthra::legacy
