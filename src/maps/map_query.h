#pragma once
// The query behind the path map of the latest spots: the newest rows of tblSPOT within the MUF
// bounds, the band, the distance limit and a day (or the last hour of today). Every value is
// bound; the clauses added to the catalogue's statement are fixed texts of this file.

#include "spots/query_catalogue.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace zenthra {

struct MapQueryRequest
{
    SqlDialect dialect = SqlDialect::Sqlite;
    int count = 0;           // newest rows fetched
    float minMuf = 0;        // MHz, 0 for 50
    float maxMuf = 0;        // MHz, 0 for 250
    float band = 0;          // 50, 70, 144, 220, anything else for all bands
    bool beyond5000 = false; // "Show ES Contacts > 5000km from you?": no distance limit
    QString dateText;        // the day to draw; not a date draws every day
    QDateTime utcNow;        // the clock
    bool lastHour = false;   // "Only Last Hour?", for today only
};

struct MapQuery
{
    QString sql;
    QVariantMap bindings; // placeholder (":name") to value
    // The UTC range asked for, when a day was given.
    QDateTime from;
    QDateTime to;
};

// The one reading of a typed date, for "Draw (With Date)", the analysis tab and both map windows'
// date prompts: ISO (2024-06-03), the locale's short and long forms with two- or four-digit years,
// "3 Jun 2024", else day first with slashes (03/06/24). Two-digit years 00 to 29 are this century,
// 30 to 99 the last. Nothing for anything else.
std::optional<QDate> mapDate(QStringView text, const QLocale& locale = QLocale());
// The band limits in MHz, as a clause that begins with AND.
QString bandClause(float band);
MapQuery buildMapQuery(const MapQueryRequest& request);

} // namespace zenthra
