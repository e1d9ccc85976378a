#include "maps/map_passes.h"

namespace zenthra {

std::optional<QRgb> bandColour(std::optional<double> freq)
{
    if (!freq) {
        return std::nullopt;
    }
    if (*freq > 140) {
        return mapRed;
    }
    if (*freq > 69) {
        return mapGrey;
    }
    if (*freq > 49) {
        return mapWhite;
    }
    return std::nullopt;
}

int drawMapPasses(const std::vector<MapSpotRow>& rows, const MapPassOptions& options, bool clear,
                  MapSurface& surface)
{
    int missing = 0;
    const auto line = [&](const QString& from, const QString& to, QRgb colour) {
        if (from.isEmpty() || to.isEmpty()) {
            ++missing;
        } else {
            surface.write_line(from, to, colour);
        }
    };
    const auto point = [&](const QString& loc, QRgb colour) {
        if (loc.isEmpty()) {
            ++missing;
        } else {
            surface.write_point(loc, colour);
        }
    };
    if (options.lines) {
        if (clear) {
            surface.CLEAR_MAP_LIVESPOTS();
        }
        for (const MapSpotRow& row : rows) {
            if (const auto colour = bandColour(row.freq)) {
                line(row.dxLoc1, row.centreLoc, *colour);
                line(row.centreLoc, row.dxLoc2, *colour);
            }
        }
    }
    if (options.point) {
        for (const MapSpotRow& row : rows) {
            point(row.dxLoc1, mapBlack);
            point(row.dxLoc2, mapBlack);
        }
    }
    if (options.centre) {
        for (const MapSpotRow& row : rows) {
            point(row.centreLoc, mapYellow);
        }
    }
    if (!options.yourPath) {
        return missing;
    }
    if (options.lines) {
        for (const MapSpotRow& row : rows) {
            line(row.tryFrom, row.centreLoc, mapBlack);
            line(row.centreLoc, row.tryTo, mapBlack);
        }
    }
    if (options.point) {
        for (const MapSpotRow& row : rows) {
            point(row.tryFrom, mapRed);
            point(row.tryTo, mapRed);
        }
    }
    if (options.centre) {
        for (const MapSpotRow& row : rows) {
            point(row.centreLoc, mapYellow);
        }
    }
    return missing;
}

} // namespace zenthra
