#pragma once
// The pure rules of the single-spot map window: its caption, the refresh-rate prompt, and the
// marks that one stored spot draws under the four drawing ticks.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRgb>
#include <QString>

#include <optional>
#include <vector>

namespace zenthra::singlemap {

inline constexpr const char* baseCaption = "Single Spot Mapping";
inline constexpr const char* settingsFileName = "sng_mapper.dat";
inline constexpr const char* savePrefix = "map_sng";
// The largest rate the prompt takes (the prompt itself names 60000).
inline constexpr int maxRefreshRate = 32767;
inline constexpr int pointRadius = 2;

// "Single Spot Mapping - 5 December 2026".
QString caption(QDate day, const QLocale& locale = QLocale::system());
QString refreshPrompt();

// "Lines?", "Points?", "Centre?", "Your Path?".
struct Ticks
{
    bool lines = false;
    bool points = false;
    bool centre = false;
    bool yourPath = false;
};

// One stored spot as the drawing reads it.
struct SpotRow
{
    QDateTime time;
    QString spotInfo;
    std::optional<double> freq; // MHz; none when the column is null
    QString dxLoc1;
    QString dxLoc2;
    QString centreLoc;
    QString tryFrom;
    QString tryTo;
};

// A line from one square to another, or a filled dot (radius 2) on one square.
struct Mark
{
    enum class Kind
    {
        Line,
        Point,
    };
    Kind kind = Kind::Point;
    QString from;
    QString to; // lines only
    QRgb colour = 0;

    friend bool operator==(const Mark&, const Mark&) = default;
};

// The path colour by band: above 140 MHz red, above 69 grey, above 49 white, else yellow; no
// colour (no path line) without a frequency.
std::optional<QRgb> pathColour(std::optional<double> freq);

// The marks of one spot in drawing order: path lines, end points, mid-point, then the home
// path's lines, ends and mid-point, each as its ticks allow.
std::vector<Mark> marksOf(const SpotRow& row, const Ticks& ticks);

} // namespace zenthra::singlemap
