#pragma once
// The number and flag rules that the settings file, the input boxes and the report texts share.
// They follow the behaviour users of the original program have in their files and habits:
// a text is read for its leading number, integers round half to even, report figures round
// half away from zero on the decimal form of the value.

#include <QString>
#include <QStringView>
#include <optional>

namespace zenthra::legacy {

// The leading number of a text: blanks anywhere are skipped, then a sign, digits, one decimal
// point and an optional exponent ("E" or "D"). A text without a number reads as 0.
double val(QStringView text);

// Rounds half to even, as integer conversion of the original platform does (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// 16-bit integer conversion: half-to-even rounding, nothing for NaN, inf or a value outside
// -32768..32767 (the caller logs error 6, overflow).
std::optional<qint16> toInt16(double value);
// The same for the 32-bit range.
std::optional<qint32> toInt32(double value);

// Trim as the old programs did it: blanks only, so a TAB or a line end at either end stays.
QString trim(const QString& text);

// "True"/"False" in any letter case, or a number (non-zero is true). Anything else is no flag.
std::optional<bool> readFlag(QStringView text);
QString flagText(bool value);

// A number as the platform prints it: at most 15 significant digits for a double, 7 for a single,
// no trailing zeros, no decimal point for whole numbers, exponent form outside 1e-4..1e15.
QString numberText(double value);
QString numberText(float value);

// Format with a pattern of the form "0", "0.0", "0.00", ... (a leading "#" is allowed):
// rounds half away from zero on the decimal form of the value (15 significant digits for a
// double, 7 for a single), so a single holding 28.45 prints "28.5" with "0.0".
QString format(double value, QStringView pattern);
QString format(float value, QStringView pattern);

} // namespace zenthra::legacy
