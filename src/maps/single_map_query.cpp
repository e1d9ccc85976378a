#include "maps/single_map_query.h"

#include "maps/avg_map_query.h"

#include <QSqlQuery>

namespace zenthra {

bool querySpotTexts(Database& db, QDate day, QStringList& texts, SqlFailure* why)
{
    texts.clear();
    QSqlQuery rows;
    if (!db.exec(Store::Spots, db.sql(Statement::SpotTextsOfDay), dayBounds(day), &rows, why)) {
        return false;
    }
    while (rows.next()) {
        texts << rows.value(0).toString();
    }
    return true;
}

bool querySpotRows(Database& db, QDate day, const QString& spotText, std::vector<singlemap::SpotRow>& rows,
                   SqlFailure* why)
{
    rows.clear();
    QVariantList values = dayBounds(day);
    values << spotText;
    QSqlQuery q;
    if (!db.exec(Store::Spots, db.sql(Statement::SpotRowsOfText), values, &q, why)) {
        return false;
    }
    while (q.next()) {
        singlemap::SpotRow row;
        row.time = Database::readDate(q.value(0));
        row.spotInfo = q.value(1).toString();
        if (!q.value(2).isNull()) {
            row.freq = q.value(2).toDouble();
        }
        row.dxLoc1 = q.value(3).toString();
        row.dxLoc2 = q.value(4).toString();
        row.centreLoc = q.value(5).toString();
        row.tryFrom = q.value(6).toString();
        row.tryTo = q.value(7).toString();
        rows.push_back(std::move(row));
    }
    return true;
}

std::vector<singlemap::Mark> drawSpotRows(MapSurface& surface, const std::vector<singlemap::SpotRow>& rows,
                                          const std::function<singlemap::Ticks()>& ticks)
{
    std::vector<singlemap::Mark> failed;
    for (const singlemap::SpotRow& row : rows) {
        for (const singlemap::Mark& mark : singlemap::marksOf(row, ticks())) {
            if (mark.kind == singlemap::Mark::Kind::Line) {
                if (!surface.write_line(mark.from, mark.to, mark.colour)) {
                    failed.push_back(mark);
                }
            } else {
                surface.write_point(mark.from, mark.colour);
            }
        }
    }
    return failed;
}

} // namespace zenthra
