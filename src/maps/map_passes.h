#pragma once
// The drawing of the latest spots: six passes over the rows, newest first, each drawing over
// the ones before. Paths are coloured by band; the marks of the home station's path come last.

#include "maps/map_canvas.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace zenthra {

// One row of the map query.
struct MapSpotRow
{
    QDateTime dxDateTime;
    QString dxLoc1; // spotter
    QString dxLoc2; // DX station
    double muf = 0;
    std::optional<double> freq; // MHz; a row without one draws no path line
    QString centreLoc;          // the path's mid-point
    QString tryFrom;            // the home station
    QString tryTo;              // where the home station should point
    double midQrb = 0;          // km from home to the mid-point
};

// The check marks of the "Map Options" menu that choose the passes.
struct MapPassOptions
{
    bool lines = false;    // "Lines?"
    bool point = false;    // "Point?"
    bool centre = false;   // "Centre?"
    bool yourPath = false; // "Your Path?"
};

// The colours of the marks, as &HBBGGRR values.
inline constexpr QRgb mapRed = fromBgr(0xFF);
inline constexpr QRgb mapGrey = fromBgr(0x808080);
inline constexpr QRgb mapWhite = fromBgr(0xFFFFFF);
inline constexpr QRgb mapYellow = fromBgr(0xFFFF);
inline constexpr QRgb mapBlack = fromBgr(0);

// Colour of a path by its frequency: above 140 MHz red, above 69 grey, above 49 white; nothing
// at 49 MHz or below, or without a frequency.
std::optional<QRgb> bandColour(std::optional<double> freq);

// Draws the rows on the surface. With "Lines?" ticked and `clear`, the old marks are erased
// first. A row whose locator is not a square of the grid loses that line or point only. Returns
// how many lines and points were not drawn because a locator they needed holds no value (NULL
// in the table), which the caller reports as a failed drawing.
int drawMapPasses(const std::vector<MapSpotRow>& rows, const MapPassOptions& options, bool clear,
                  MapSurface& surface);

} // namespace zenthra
