#include "maps/analysis_reports.h"

#include "core/error_log.h"
#include "maps/map_query.h"
#include "platform/legacy_value.h"
#include "spots/database.h"
#include "spots/query_catalogue.h"

#include <QSqlError>
#include <QSqlQuery>

namespace zenthra {

namespace {

const QString crlf = QStringLiteral("\r\n");

QString textOf(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

float singleOf(const QVariant& v)
{
    return v.isNull() ? 0.0f : static_cast<float>(v.toDouble());
}

SporadicERow sporadicERow(const QSqlQuery& q)
{
    SporadicERow r;
    r.dxDateTime = Database::readDate(q.value(0));
    r.spotInfo = textOf(q.value(1));
    r.freq = singleOf(q.value(2));
    r.qtf1 = singleOf(q.value(3));
    r.elev1 = singleOf(q.value(4));
    r.qrb1 = singleOf(q.value(5));
    r.dxLoc1 = textOf(q.value(6));
    r.dxLoc2 = textOf(q.value(7));
    r.centreLoc = textOf(q.value(8));
    r.critFreq = singleOf(q.value(9));
    r.tryFrom = textOf(q.value(10));
    r.tryTo = textOf(q.value(11));
    r.qtf2 = singleOf(q.value(12));
    r.elev2 = singleOf(q.value(13));
    r.qrb2 = singleOf(q.value(14));
    r.muf = singleOf(q.value(15));
    r.fot = singleOf(q.value(16));
    return r;
}

AllSpotsRow allSpotsRow(const QSqlQuery& q)
{
    return {Database::readDate(q.value(0)),
            textOf(q.value(1)),
            textOf(q.value(2)),
            textOf(q.value(3)),
            textOf(q.value(4)),
            textOf(q.value(5)),
            textOf(q.value(6))};
}

// Clears the busy flag however the report ends.
class BusyScope
{
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

AnalysisReports::AnalysisReports(Database& db, ErrorLog& log, QObject* parent)
    : QObject(parent), m_db(db), m_log(log), m_calcs(log)
{
}

std::optional<QString> AnalysisReports::GET_ANALYSIS_DATA(const AnalysisRequest& request)
{
    if (m_blnAnalysisBusy) {
        return std::nullopt;
    }
    const BusyScope busy(m_blnAnalysisBusy);
    const bool es = request.mode == QLatin1String(sporadicEMode);
    const std::optional<QString> band = bandCondition(request.band, es);
    const QString direction = directionText(request.descending);
    const QString order = orderText(request.sortBy, request.descending);
    const auto failed = [&](const SqlFailure& why) {
        const QString call = QStringLiteral("GET_ANALYSIS_DATA(") +
                             QStringList{analysisDateTimeText(request.start),
                                         analysisDateTimeText(request.end),
                                         QString::number(request.count),
                                         request.mode,
                                         band.value_or(QString()),
                                         direction,
                                         order}
                                 .join(u',') +
                             u')';
        m_log.WRITE_ERROR_LOG(why.number, call);
        return QStringLiteral("ERROR: ") + legacy::numberText(why.number) + QStringLiteral("   ") + why.text +
               crlf + call + crlf;
    };
    if (!band) {
        // The band list offers only the table's names; anything else is refused before the database sees it.
        return failed({Database::errCommandFailed,
                       QStringLiteral("No band condition for the band \"%1\"").arg(request.band)});
    }

    AnalysisSelect select;
    select.sporadicE = es;
    select.allDates = request.allDates;
    select.byMode = !es && request.mode != QLatin1String(allMode);
    // With "All Dates" the call condition stands even for an empty call: every row with a call.
    select.byCall = request.allDates || !request.call.isEmpty();
    select.band = band->trimmed();
    select.order = es ? order.simplified() : QStringLiteral("Spot_Date ") + direction.trimmed();
    QVariantList values;
    if (!request.allDates) {
        values << Database::dateValue(request.start) << Database::dateValue(request.end);
    }
    if (select.byMode) {
        values << request.mode;
    }
    if (select.byCall) {
        const QString pattern = request.call + u'%';
        values << pattern << pattern;
    }
    values << request.count;

    QSqlQuery rows;
    SqlFailure why;
    if (!m_db.exec(Store::Spots, analysisSql(select, m_db.dialect()), values, &rows, &why)) {
        return failed(why);
    }
    QString home = request.homeLocator;
    home = m_calcs.CHECK_LOCATOR_SYNTAX(home);
    QString blocks;
    while (rows.next()) {
        blocks += es ? sporadicEBlock(sporadicERow(rows)) : allSpotsBlock(allSpotsRow(rows), home, m_calcs);
    }
    if (rows.lastError().isValid()) {
        return failed(Database::failureOf(rows.lastError()));
    }
    return legacy::trim(analysisHeader(request.mode, *band, direction, request.start, request.end) + blocks);
}

QString AnalysisReports::GET_ANNOUNCE_DATA(const QString& date, const QString& count, bool bulletinsOnly,
                                           const QDateTime& utcNow, const QLocale& locale)
{
    const std::optional<QDate> typed = mapDate(date, locale);
    const QDate day = typed.value_or(utcNow.date());
    const QString dateText = typed ? date : analysisDateTimeText(utcNow);
    const int rowCount = announceCount(count);
    const QVariantList values{Database::dateValue(QDateTime(day, QTime(0, 0), Qt::UTC)),
                              Database::dateValue(QDateTime(day.addDays(1), QTime(0, 0), Qt::UTC)), rowCount};
    QSqlQuery rows;
    SqlFailure why;
    QString list;
    if (m_db.exec(Store::Spots, announceSql(bulletinsOnly, m_db.dialect()), values, &rows, &why)) {
        while (rows.next()) {
            list += announceLine(Database::readDate(rows.value(0)), textOf(rows.value(1)));
        }
        if (!rows.lastError().isValid()) {
            return announceHeader(day, bulletinsOnly) + list;
        }
        why = Database::failureOf(rows.lastError());
    }
    return QStringLiteral("ERROR: ") + legacy::numberText(why.number) + why.text + crlf +
           QStringLiteral("GET_ANNOUNCE_DATA(") + dateText + u',' + QString::number(rowCount) + u')';
}

AnalysisOptions AnalysisReports::POPULATE_ANALYSIS_OPTIONS()
{
    AnalysisOptions options;
    QSqlQuery rows;
    SqlFailure why;
    if (m_db.exec(Store::Spots, m_db.sql(Statement::DistinctModes), {}, &rows, &why)) {
        options.modes << QString::fromLatin1(allMode);
        while (rows.next()) {
            options.modes << textOf(rows.value(0));
        }
        options.bands = analysisBands();
        options.bandsFilled = true;
    } else {
        options.error = QStringLiteral("ERROR: ") + legacy::numberText(why.number) + why.text + crlf +
                        QStringLiteral("POPULATE_ANALYSIS_OPTIONS()");
    }
    Q_EMIT analysisOptions(options);
    return options;
}

} // namespace zenthra
