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

void drawMapPasses(const std::vector<MapSpotRow>& rows, const MapPassOptions& options, bool clear,
                   MapSurface& surface)
{
    if (options.lines) {
        if (clear) {
            surface.CLEAR_MAP_LIVESPOTS();
        }
        for (const MapSpotRow& row : rows) {
            if (const auto colour = bandColour(row.freq)) {
                surface.write_line(row.dxLoc1, row.centreLoc, *colour);
                surface.write_line(row.centreLoc, row.dxLoc2, *colour);
            }
        }
    }
    if (options.point) {
        for (const MapSpotRow& row : rows) {
            surface.write_point(row.dxLoc1, mapBlack);
            surface.write_point(row.dxLoc2, mapBlack);
        }
    }
    if (options.centre) {
        for (const MapSpotRow& row : rows) {
            surface.write_point(row.centreLoc, mapYellow);
        }
    }
    if (!options.yourPath) {
        return;
    }
    if (options.lines) {
        for (const MapSpotRow& row : rows) {
            surface.write_line(row.tryFrom, row.centreLoc, mapBlack);
            surface.write_line(row.centreLoc, row.tryTo, mapBlack);
        }
    }
    if (options.point) {
        for (const MapSpotRow& row : rows) {
            surface.write_point(row.tryFrom, mapRed);
            surface.write_point(row.tryTo, mapRed);
        }
    }
    if (options.centre) {
        for (const MapSpotRow& row : rows) {
            surface.write_point(row.centreLoc, mapYellow);
        }
    }
}

} // namespace zenthra
