#pragma once
// The answers of the map and font input boxes: their prompts and which answers change an option.
// The windows ask; these rules decide, so that they can be tested without a dialog.

#include <QString>
#include <optional>

namespace zenthra {

class OptionsModel;

namespace optiondialogs {

inline constexpr const char* spotCountPrompt =
    "Please type the number of spots to map, min is 1, max is 2000";
inline constexpr const char* fontSizeTitle = "font size";
inline constexpr const char* fontSizePrompt = "Please type the font size (Min 6, max 20).";

// The prompt of MAPPING_SETTINGS(index) for the current options; empty for another index.
QString mappingPrompt(int index, const OptionsModel& options);
// The answer shown at first in that box.
QString mappingDefault(int index, const OptionsModel& options);
// Applies an answer of MAPPING_SETTINGS(index) (the empty text for Cancel). Answers outside the
// bounds change nothing, except that the band falls back to 0 (all bands) and a maximum of 0
// resets both MUF bounds.
void applyMappingAnswer(int index, const QString& answer, OptionsModel& options);

// The spot count an answer gives: its leading number rounded to a whole number, taken only when
// that is 1 to 2000 (so "0.4", which rounds to 0, is refused like 0).
std::optional<qint16> spotCountAnswer(const QString& answer);
// The band an answer gives: 50, 70, 144 or 220, else 0 (all bands).
float mapBandAnswer(const QString& answer);
// A numeric 50..250 below the current maximum.
std::optional<float> minMufAnswer(const QString& answer, float currentMax);
// A numeric 51..250 above the current minimum.
std::optional<float> maxMufAnswer(const QString& answer, float currentMin);
// A numeric 0: both bounds back to the map's defaults.
bool resetsMufBounds(const QString& answer);

// The font size an answer gives: a numeric 6..20 rounded to a whole number; nothing otherwise.
std::optional<qint16> fontSizeAnswer(const QString& answer);

} // namespace optiondialogs
} // namespace zenthra
