#pragma once
// The map windows' own settings files: avg_mapper.dat (five lines: top, left, width, height in
// twips, then the refresh rate) and sng_mapper.dat (the same five, then the four drawing ticks).
// Lines carry no keys; each is read for its leading number (the ticks as flags), and a missing
// or unreadable line sets nothing.

#include "platform/twips.h"

#include <QString>

#include <array>
#include <optional>

namespace zenthra {

struct MapperSettings
{
    // What the file holds, line by line.
    std::optional<float> top;
    std::optional<float> left;
    std::optional<float> width;
    std::optional<float> height;
    std::optional<qint16> refreshRate;
    // sng_mapper.dat only: "Lines?", "Points?", "Centre?", "Your Path?".
    std::array<std::optional<bool>, 4> ticks{};

    // Which of the four the window takes: a position only above -200 twips and with a positive
    // width on line 3 (so a missing file, or one written while minimised, never moves the window),
    // a size only above 500 twips.
    std::optional<float> topToApply() const;
    std::optional<float> leftToApply() const;
    std::optional<float> widthToApply() const;
    std::optional<float> heightToApply() const;
};

// A stored Top or Left at or below this lies off the screen.
inline constexpr float mapperOffScreen = -200;
inline constexpr float mapperMinSize = 500;

// Reads the file; a missing file gives settings with nothing set.
MapperSettings readMapperSettings(const QString& path);

// Writes the file whole (atomically). `ticks` are written only when given. False when the file
// could not be written; the old one then stays.
bool writeMapperSettings(const QString& path, const TwipsRect& geometry, qint16 refreshRate,
                         const std::optional<std::array<bool, 4>>& ticks = std::nullopt);

} // namespace zenthra
