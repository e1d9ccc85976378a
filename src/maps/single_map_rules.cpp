#include "maps/single_map_rules.h"

#include "maps/map_passes.h"

namespace zenthra::singlemap {

namespace {

// The colours of the latest-spots map, so both maps mark alike.
constexpr QRgb red = mapRed;
constexpr QRgb yellow = mapYellow;
constexpr QRgb black = mapBlack;

} // namespace

QString caption(QDate day, const QLocale& locale)
{
    return QString::fromLatin1(baseCaption) + QStringLiteral(" - ") + QString::number(day.day()) + u' ' +
           locale.standaloneMonthName(day.month(), QLocale::LongFormat) + u' ' + QString::number(day.year());
}

QString refreshPrompt()
{
    return QStringLiteral("Please type the number in seconds (Min 20 Max 60000) for ") +
           QStringLiteral(" the refresh rate for the map");
}

std::optional<QRgb> pathColour(std::optional<double> freq)
{
    if (!freq) {
        return std::nullopt;
    }
    // The latest-spots map's band colours, with yellow for what that map leaves undrawn.
    return bandColour(freq).value_or(yellow);
}

std::vector<Mark> marksOf(const SpotRow& row, const Ticks& ticks)
{
    std::vector<Mark> marks;
    const auto line = [&](const QString& from, const QString& to, QRgb colour) {
        marks.push_back({Mark::Kind::Line, from, to, colour});
    };
    const auto point = [&](const QString& at, QRgb colour) {
        marks.push_back({Mark::Kind::Point, at, {}, colour});
    };
    if (ticks.lines) {
        if (const std::optional<QRgb> colour = pathColour(row.freq)) {
            line(row.dxLoc1, row.centreLoc, *colour);
            line(row.centreLoc, row.dxLoc2, *colour);
        }
    }
    if (ticks.points) {
        point(row.dxLoc1, black);
        point(row.dxLoc2, black);
    }
    if (ticks.centre) {
        point(row.centreLoc, yellow);
    }
    if (ticks.yourPath) {
        if (ticks.lines) {
            line(row.tryFrom, row.centreLoc, black);
            line(row.centreLoc, row.tryTo, black);
        }
        if (ticks.points) {
            point(row.tryFrom, red);
            point(row.tryTo, red);
        }
        if (ticks.centre) {
            point(row.centreLoc, yellow);
        }
    }
    return marks;
}

} // namespace zenthra::singlemap
