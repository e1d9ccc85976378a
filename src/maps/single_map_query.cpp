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

} // namespace zenthra
