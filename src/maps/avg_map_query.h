#pragma once
// The average-MUF map's data: one UTC day's sporadic-E paths grouped by the square of their
// mid-point, and what the window shows of them (the dots and the list).

#include "maps/avg_map_rules.h"
#include "maps/map_canvas.h"
#include "spots/database.h"

#include <QDate>
#include <QLocale>
#include <QRgb>
#include <QStringList>

#include <vector>

namespace zenthra {

// The stored-time bounds of a UTC day: its first second and the next day's first second.
QVariantList dayBounds(QDate day);

// The day's squares, highest average first. False (with `why`) when the query failed; the
// squares read so far are kept.
bool queryAverageMuf(Database& db, QDate day, std::vector<avgmap::AvgSquare>& squares,
                     SqlFailure* why = nullptr);

struct AvgDot
{
    QString square;
    QRgb colour = 0;
};

// What one drawing shows: the list (its four header lines, then a line per square) and a dot
// per square. A square that is not a locator square of the map is left out of both and named
// in `skipped`.
struct AvgMapPicture
{
    QStringList list;
    std::vector<AvgDot> dots;
    QStringList skipped;
};

AvgMapPicture avgMapPicture(QDate day, const std::vector<avgmap::AvgSquare>& squares,
                            const QLocale& locale = QLocale::system());

// One drawing: erases the canvas, asks for the day's squares, and plots a dot of radius 4 per
// square into the canvas. On a failed query the canvas stays erased, `picture` is left as it
// was and `why` says what failed.
bool drawAverageMap(Database& db, MapCanvas& canvas, QDate day, AvgMapPicture& picture,
                    SqlFailure* why = nullptr, const QLocale& locale = QLocale::system());

// The square the map windows centre on: the first four characters of the checked home locator,
// or "IO90" when the check rejected it.
QString homeSquare(const QString& checkedHomeLocator);

} // namespace zenthra
