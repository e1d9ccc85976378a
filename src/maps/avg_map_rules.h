#pragma once
// The pure rules of the average-MUF map window: the shade of a square's dot, the lines of its
// list, the day it shows, and the refresh-rate answer that both map windows share.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>

namespace zenthra::avgmap {

inline constexpr const char* windowCaption = "Average MUF Mapping Window";
inline constexpr const char* settingsFileName = "avg_mapper.dat";
inline constexpr const char* savePrefix = "map_avg";
inline constexpr const char* datePrompt = "Please type the date for the map";

// Seconds between automatic redraws: what the prompt accepts, and what stands in for a rate that
// is missing or too short.
inline constexpr int minRefreshRate = 20;
inline constexpr int maxRefreshRate = 6000;
inline constexpr int defaultRefreshRate = 120;

// Only paths shorter than this (km) enter a square's average.
inline constexpr double maxPathKm = 3000;

// The dot radius in pixels.
inline constexpr int dotRadius = 4;

// One square of the day: the first four characters of the mid-point locator, the mean MUF of
// its paths (MHz) and their number.
struct AvgSquare
{
    QString square;
    double averageMuf = 0;
    qint64 spotCount = 0;
};

// The red component of a square's dot: four steps per MHz above 50, 0 to 255.
int redOf(double averageMuf);
// The dot's colour: that red, no green, no blue.
QRgb dotColour(double averageMuf);

// The list line of a square: "JN45 67  12 " for 67.8 MHz from 12 spots (three characters each
// for the whole MHz and the count, padded with blanks and cut).
QString listLine(const AvgSquare& square);

// The four lines the list starts with: the day ("5 December 26"), an empty line, the column
// titles and a rule.
QStringList listHeader(QDate day, const QLocale& locale = QLocale::system());

// The day a drawing shows: the given date, else the UTC day of `utcNow`.
QDate dayToShow(std::optional<QDate> chosen, const QDateTime& utcNow);

// The day an answer to either window's date prompt shows, read by mapDate as "Draw (With Date)"
// reads it. Nothing when the prompt is cancelled or the answer is no date.
std::optional<QDate> dayOfAnswer(const std::optional<QString>& answer, const QLocale& locale = QLocale());

// The refresh-rate prompt of the average-MUF window.
QString refreshPrompt();

// The rate after an answer to a refresh-rate prompt. No answer or a blank one keeps a valid
// rate (120 replaces one below the minimum); a number from the minimum to `maxAccepted` is
// taken (rounded half to even); 0 or no leading number gives 120; anything else keeps the rate.
qint16 refreshAnswer(const std::optional<QString>& answer, qint16 current, int maxAccepted = maxRefreshRate);

// A rate read from a settings file, or kept at load: below the minimum becomes 120.
qint16 usableRate(qint16 rate);

} // namespace zenthra::avgmap
