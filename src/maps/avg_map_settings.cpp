#include "maps/avg_map_settings.h"

#include "platform/legacy_value.h"
#include "platform/text_file.h"

#include <QStringList>

#include <cmath>

namespace zenthra {

namespace {

// The geometry, the refresh rate and the four ticks; nothing after them is read.
constexpr qsizetype lineCount = 9;

std::optional<float> number(const QStringList& lines, int index)
{
    if (index >= lines.size()) {
        return std::nullopt;
    }
    const double value = legacy::val(lines[index]);
    if (!std::isfinite(value) || std::fabs(value) > 3.0e38) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

QString twipsText(float twips)
{
    return legacy::numberText(static_cast<float>(std::round(twips)));
}

} // namespace

std::optional<float> MapperSettings::topToApply() const
{
    if (top && *top > mapperOffScreen && width.value_or(0) > 0) {
        return top;
    }
    return std::nullopt;
}

std::optional<float> MapperSettings::leftToApply() const
{
    if (left && *left > mapperOffScreen && width.value_or(0) > 0) {
        return left;
    }
    return std::nullopt;
}

std::optional<float> MapperSettings::widthToApply() const
{
    return width && *width > mapperMinSize ? width : std::nullopt;
}

std::optional<float> MapperSettings::heightToApply() const
{
    return height && *height > mapperMinSize ? height : std::nullopt;
}

MapperSettings readMapperSettings(const QString& path)
{
    MapperSettings s;
    const std::optional<QStringList> lines = textfile::readLines(path, lineCount);
    if (!lines) {
        return s;
    }
    s.top = number(*lines, 0);
    s.left = number(*lines, 1);
    s.width = number(*lines, 2);
    s.height = number(*lines, 3);
    if (lines->size() > 4) {
        // The integer part of the number; a rate outside the 16-bit range is not taken.
        const double whole = std::floor(legacy::val((*lines)[4]));
        if (whole >= -32768 && whole <= 32767) {
            s.refreshRate = static_cast<qint16>(whole);
        }
    }
    for (int i = 0; i < 4 && 5 + i < lines->size(); ++i) {
        s.ticks[i] = legacy::readFlag(legacy::trim((*lines)[5 + i]));
    }
    return s;
}

bool writeMapperSettings(const QString& path, const TwipsRect& geometry, qint16 refreshRate,
                         const std::optional<std::array<bool, 4>>& ticks)
{
    QStringList lines{twipsText(geometry.top), twipsText(geometry.left), twipsText(geometry.width),
                      twipsText(geometry.height), QString::number(refreshRate)};
    if (ticks) {
        for (bool tick : *ticks) {
            lines << legacy::flagText(tick);
        }
    }
    return textfile::writeLines(path, lines);
}

} // namespace zenthra
