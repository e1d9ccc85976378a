#include "maps/map_query.h"

#include "spots/database.h"

#include <QStringList>

namespace zenthra {

namespace {

QDate twoDigitYear(QDate date, const QString& format)
{
    // Qt reads "yy" as 19yy; the users' two-digit years mean 1930 to 2029.
    if (date.isValid() && format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy")) &&
        date.year() < 1930) {
        return date.addYears(100);
    }
    return date;
}

} // namespace

std::optional<QDate> mapDate(QStringView text, const QLocale& locale)
{
    const QString t = text.trimmed().toString();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    if (const QDate iso = QDate::fromString(t, Qt::ISODate); iso.isValid()) {
        return iso;
    }
    QStringList formats;
    for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString own = locale.dateFormat(type);
        formats << own;
        if (own.contains(QLatin1String("yyyy"))) {
            formats << QString(own).replace(QLatin1String("yyyy"), QLatin1String("yy"));
        } else {
            formats << QString(own).replace(QLatin1String("yy"), QLatin1String("yyyy"));
        }
    }
    for (const QString& format : formats) {
        if (const QDate d = twoDigitYear(locale.toDate(t, format), format); d.isValid()) {
            return d;
        }
    }
    // English month names and day-first slashes whatever the user's locale.
    const QLocale english = QLocale::c();
    for (const char* format : {"d MMM yyyy", "d MMMM yyyy", "d MMM yy", "d/M/yyyy", "d/M/yy"}) {
        const QString f = QString::fromLatin1(format);
        if (const QDate d = twoDigitYear(english.toDate(t, f), f); d.isValid()) {
            return d;
        }
    }
    return std::nullopt;
}

QString bandClause(float band)
{
    if (band == 50) {
        return QStringLiteral(" AND Freq > 49 AND Freq < 55");
    }
    if (band == 70) {
        return QStringLiteral(" AND Freq > 69 AND Freq < 75");
    }
    if (band == 144) {
        return QStringLiteral(" AND Freq > 143 AND Freq < 200");
    }
    if (band == 220) {
        return QStringLiteral(" AND Freq > 199 AND Freq < 255");
    }
    return QStringLiteral(" AND Freq > 49 AND Freq < 255");
}

MapQuery buildMapQuery(const MapQueryRequest& request)
{
    MapQuery query;
    QString distance;
    if (!request.beyond5000) {
        distance = request.dialect == SqlDialect::Sqlite
                       ? QStringLiteral(" AND coalesce(Qrb_To_Midpoint, 0) <= 5000")
                       : QStringLiteral(" AND coalesce(Qrb_To_Midpoint, 0) < 5000");
    }

    QString dates;
    if (const auto day = mapDate(request.dateText)) {
        const QDateTime now = request.utcNow.toUTC();
        if (*day == now.date()) {
            // Today: from midnight, or from an hour ago when only the last hour is asked for
            // (at most back to midnight).
            QDateTime from(now.date(), QTime(0, 0), Qt::UTC);
            if (request.lastHour && now.time().hour() > 0) {
                from = QDateTime(now.date(),
                                 QTime(now.time().hour() - 1, now.time().minute(), now.time().second()),
                                 Qt::UTC);
            }
            query.from = from;
            dates = QStringLiteral(" AND DxDateTime >= :fromDate");
        } else {
            query.from = QDateTime(*day, QTime(0, 0), Qt::UTC);
            query.to = QDateTime(*day, QTime(23, 59, 59), Qt::UTC);
            dates = QStringLiteral(" AND DxDateTime >= :fromDate AND DxDateTime <= :toDate");
        }
    }

    query.sql =
        SET_SQL(QStringLiteral("2") + kindLetter(request.dialect), distance, dates, bandClause(request.band));
    query.bindings.insert(QStringLiteral(":rowCount"), request.count);
    query.bindings.insert(QStringLiteral(":mufMin"), request.minMuf == 0 ? 50.0 : double(request.minMuf));
    query.bindings.insert(QStringLiteral(":mufMax"), request.maxMuf == 0 ? 250.0 : double(request.maxMuf));
    if (query.from.isValid()) {
        query.bindings.insert(QStringLiteral(":fromDate"), Database::dateValue(query.from));
    }
    if (query.to.isValid()) {
        query.bindings.insert(QStringLiteral(":toDate"), Database::dateValue(query.to));
    }
    return query;
}

} // namespace zenthra
