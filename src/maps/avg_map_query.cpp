#include "maps/avg_map_query.h"

#include "maps/locator_grid.h"

#include <QSqlQuery>

namespace zenthra {

QVariantList dayBounds(QDate day)
{
    const QDateTime start(day, QTime(0, 0), Qt::UTC);
    return {Database::dateValue(start), Database::dateValue(start.addDays(1))};
}

bool queryAverageMuf(Database& db, QDate day, std::vector<avgmap::AvgSquare>& squares, SqlFailure* why)
{
    squares.clear();
    QSqlQuery rows;
    if (!db.exec(Store::Spots, db.sql(Statement::AverageMufOfDay), dayBounds(day), &rows, why)) {
        return false;
    }
    while (rows.next()) {
        squares.push_back({rows.value(1).toString(), rows.value(0).toDouble(), rows.value(2).toLongLong()});
    }
    return true;
}

AvgMapPicture avgMapPicture(QDate day, const std::vector<avgmap::AvgSquare>& squares, const QLocale& locale)
{
    AvgMapPicture picture;
    picture.list = avgmap::listHeader(day, locale);
    picture.dots.reserve(squares.size());
    for (const avgmap::AvgSquare& s : squares) {
        if (!gridSquare(s.square)) {
            picture.skipped << s.square;
            continue;
        }
        picture.dots.push_back({s.square, avgmap::dotColour(s.averageMuf)});
        picture.list << avgmap::listLine(s);
    }
    return picture;
}

bool drawAverageMap(Database& db, MapCanvas& canvas, QDate day, AvgMapPicture& picture, SqlFailure* why,
                    const QLocale& locale)
{
    canvas.CLEAR_MAP_LIVESPOTS();
    std::vector<avgmap::AvgSquare> squares;
    if (!queryAverageMuf(db, day, squares, why)) {
        return false;
    }
    picture = avgMapPicture(day, squares, locale);
    for (const AvgDot& dot : picture.dots) {
        if (const std::optional<QPointF> centre = locatorCentre(dot.square)) {
            canvas.plotPoint(*centre, avgmap::dotRadius, dot.colour);
        }
    }
    return true;
}

QString homeSquare(const QString& checkedHomeLocator)
{
    return checkedHomeLocator.isEmpty() ? QStringLiteral("IO90") : checkedHomeLocator.left(4);
}

} // namespace zenthra
