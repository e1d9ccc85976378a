#include "maps/path_map.h"

#include "core/error_log.h"
#include "core/option_keys.h"
#include "core/options_model.h"
#include "maps/map_canvas.h"
#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "spots/database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace zenthra {

namespace {

// The error number of a value that is missing (NULL) where one is needed.
constexpr double errInvalidUseOfNull = 94;

QString text(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString().trimmed();
}

} // namespace

PathMap::PathMap(Services services, MapCanvas& canvas, QObject* parent)
    : QObject(parent), m_s(std::move(services)), m_canvas(canvas)
{
}

QString PathMap::todayText() const
{
    return utcText(m_s.dtmUtcNow());
}

void PathMap::MAPPER_DB_CONNECT(int count, const QString& dateText, bool clear)
{
    MAPPER_DRAW_DB_SPOTS(count, dateText, clear, m_s.options.checked(keys::mapLastHour));
}

void PathMap::tmrMapping_Timer()
{
    if (m_s.options.checked(keys::mapLiveSpots)) {
        MAPPER_DB_CONNECT(m_s.options.intMapSpotCount, todayText(), true);
    }
}

void PathMap::draw()
{
    if (m_s.options.checked(keys::mapOnlyToday) || m_s.options.checked(keys::mapLiveSpots)) {
        MAPPER_DB_CONNECT(m_s.options.intMapSpotCount, todayText(), true);
    } else {
        MAPPER_DB_CONNECT(m_s.options.intMapSpotCount, QString(), false);
    }
}

bool PathMap::drawWithDate(const QString& answer)
{
    if (!mapDate(answer)) {
        return false;
    }
    MAPPER_DB_CONNECT(m_s.options.intMapSpotCount, answer, false);
    return true;
}

bool PathMap::fetch(const MapQuery& query, std::vector<MapSpotRow>& rows, double* errorNumber, QString* why)
{
    SqlFailure failure;
    Database::Prepared q(m_s.database, Store::Spots, query.sql, &failure);
    if (failure.number != 0) {
        *errorNumber = failure.number;
        *why = failure.text;
        return false;
    }
    for (auto it = query.bindings.cbegin(); it != query.bindings.cend(); ++it) {
        q->bindValue(it.key(), it.value());
    }
    if (!m_s.database.run(Store::Spots, *q, &failure)) {
        *errorNumber = failure.number != 0 ? failure.number : Database::errCommandFailed;
        *why = failure.text;
        m_s.database.recoverLostServer(failure);
        return false;
    }
    while (q->next()) {
        MapSpotRow row;
        row.dxDateTime = Database::readDate(q->value(0));
        row.dxLoc1 = text(q->value(1));
        row.dxLoc2 = text(q->value(2));
        row.muf = q->value(3).toDouble();
        if (!q->value(4).isNull()) {
            row.freq = q->value(4).toDouble();
        }
        row.centreLoc = text(q->value(5));
        row.tryFrom = text(q->value(6));
        row.tryTo = text(q->value(7));
        row.midQrb = q->value(8).toDouble();
        rows.push_back(std::move(row));
    }
    return true;
}

void PathMap::MAPPER_DRAW_DB_SPOTS(int count, const QString& dateText, bool clear, bool lastHour)
{
    m_canvas.setSticky(m_s.options.blnStickyMap);
    if (m_drawing) {
        return;
    }
    m_drawing = true;

    MapQueryRequest request;
    request.dialect = m_s.database.dialect();
    request.count = count;
    request.minMuf = m_s.options.sngMapMinMuf;
    request.maxMuf = m_s.options.sngMapMaxMuf;
    request.band = m_s.options.sngMapBand;
    request.beyond5000 = m_s.options.classifier.blnEsBeyond5000;
    request.dateText = dateText;
    request.utcNow = m_s.dtmUtcNow();
    request.lastHour = lastHour;

    const QString call = QStringLiteral("MAPPER_DRAW_DB_SPOTS(%1, %2, %3,%4)")
                             .arg(count)
                             .arg(dateText, legacy::flagText(clear), legacy::flagText(lastHour));
    std::vector<MapSpotRow> rows;
    double number = 0;
    QString why;
    if (!fetch(buildMapQuery(request), rows, &number, &why)) {
        m_s.log.WRITE_ERROR_LOG(number, call);
        m_rows.clear();
        finish();
        return;
    }
    m_rows = std::move(rows);
    const MapPassOptions passes{m_s.options.checked(keys::mapLines), m_s.options.checked(keys::mapPoint),
                                m_s.options.checked(keys::mapCentre), m_s.options.checked(keys::mapYourPath)};
    // A mark without its locator is skipped and the rest drawn; the drawing still counts as failed,
    // once however many marks it lost.
    if (drawMapPasses(m_rows, passes, clear, m_canvas) > 0) {
        m_s.log.WRITE_ERROR_LOG(errInvalidUseOfNull, call);
    }
    finish();
}

void PathMap::finish()
{
    // The map keeps redrawing each second only while spots are still being processed.
    if (m_s.tmrProcessSpot.isActive()) {
        if (!m_s.tmrMapping.isActive()) {
            m_s.tmrMapping.start();
        }
    } else {
        m_s.tmrMapping.stop();
    }
    m_drawing = false;
    Q_EMIT drawn(static_cast<int>(m_rows.size()));
}

} // namespace zenthra
