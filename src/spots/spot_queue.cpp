#include "spots/spot_queue.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "spots/plain_text.h"

#include <algorithm>

namespace zenthra {

QString spotTimeText(const QDateTime& utc)
{
    return utcText(utc);
}

QDateTime readSpotTime(const QString& text)
{
    return utcFromText(text);
}

SpotQueue::SpotQueue(OptionsModel& options, ErrorLog& log, std::function<QDateTime()> utcNow, QObject* parent)
    : QObject(parent), m_options(options), m_log(log), m_calcs(log), m_utcNow(std::move(utcNow))
{
    // No interval until the queue arms it.
    m_tmrProcessSpot.setInterval(0);
    for (int r = 0; r < spotQueueRows; ++r) {
        m_order[r] = quint8(r);
    }
    m_steady.start();
    m_monotonic = [this] { return m_steady.elapsed(); };
}

void SpotQueue::QUEUE_DXC_SPOT(QueuedSpot& spot)
{
    m_pending.dblCalcMasl = spot.masl;
    m_pending.dblCalcLayerHeight = spot.eLayerHeight;
    // The filter accepts a four- or five-character home locator by checking a normalised copy;
    // the row holds that normalised form so that the processor's own check agrees.
    QString home = spot.homeLoc.toUpper();
    const QString normalised = m_calcs.CHECK_LOCATOR_SYNTAX(home);
    m_pending.strCalcHomeLoc = normalised.isEmpty() ? spot.homeLoc.toUpper().left(6) : normalised;
    m_pending.blnLogMufToDb = spot.logMufToDb;
    m_pending.blnLogSpotToDb = spot.logSpotToDb;
    CLEAN_DXC_SPOTS(spot.line, spot.time, spot.loc1, spot.loc2);
}

void SpotQueue::CLEAN_DXC_SPOTS(QString& line, const QString& time, const QString& loc1, const QString& loc2)
{
    blnCleanBusy = true;
    // Before anything counts characters: a node that colours its lines puts escape sequences
    // even ahead of the "DX de " that is cut off below.
    QString s = plainText(line);
    if (m_options.checked(keys::dxcLimitChar) && s.size() >= limitedLength) {
        s.truncate(limitedLength);
    }
    s = legacy::trim(s);
    while (s.contains(QLatin1String("  "))) {
        s.replace(QLatin1String("  "), QLatin1String(" "));
    }
    s.remove(u'\n');
    s.remove(u'\r');
    s.remove(u'\t');
    s.remove(u'\'');
    if (s.size() > 15) {
        s = legacy::trim(s.mid(6));
    }

    if (!s.isEmpty()) {
        bool stored = false;
        for (int n = 0; n < spotQueueRows; ++n) {
            Row& r = at(n);
            if (!r.record[colSpotInfo].isEmpty()) {
                continue;
            }
            r.record[colSpotInfo] = s;
            r.record[colDxDateTime] = time.size() > 4 ? time : spotTimeText(m_utcNow());
            if (loc1.size() > 3 && loc2.size() > 3) {
                r.record[colDxLoc1] = loc1;
                r.record[colDxLoc2] = loc2;
            }
            r.settings = m_pending;
            line.clear();
            stored = true;
            break;
        }
        if (stored) {
            flushDroppedCount(s);
        } else {
            noteDropped(s);
        }
    }
    blnCleanBusy = false;
    START_PROCESS_TIMER(true);
}

void SpotQueue::noteDropped(const QString& line)
{
    ++m_droppedSinceLog;
    flushDroppedCount(line);
}

void SpotQueue::flushDroppedCount(const QString& line)
{
    if (m_droppedSinceLog == 0) {
        return;
    }
    const qint64 now = m_monotonic();
    if (m_lastOverflowLog >= 0 && now - m_lastOverflowLog < overflowLogInterval) {
        return;
    }
    m_lastOverflowLog = now;
    m_log.WRITE_ERROR_LOG(errQueueFull,
                          QStringLiteral("CLEAN_DXC_SPOTS(") + line +
                              QStringLiteral(") queue full, %1 line(s) dropped").arg(m_droppedSinceLog));
    m_droppedSinceLog = 0;
}

void SpotQueue::START_PROCESS_TIMER(bool enable)
{
    if (!enable) {
        m_tmrProcessSpot.stop();
        m_tmrProcessSpot.setInterval(armedInterval);
    } else if (!m_tmrProcessSpot.isActive()) {
        // Only an idle timer is armed: setting the interval of a running QTimer restarts it, and a
        // steady stream of lines would then hold every tick off until the queue is nearly full.
        m_tmrProcessSpot.start(armedInterval);
    }
}

void SpotQueue::CLEAR_ARRAY_RECORD()
{
    for (QString& column : at(0).record) {
        column.clear();
    }
    at(0).settings = {};
}

void SpotQueue::SORT_ARRAY()
{
    blnRowsPending = false;
    for (int r = 0; r < spotQueueRows - 1; ++r) {
        if (at(r).record[colSpotInfo].isEmpty()) {
            // Row r is free: row r+1 moves up into it and leaves an empty row behind. Moving an
            // empty row onto a free one changes nothing, so the tail of the table costs no copies.
            Row& next = at(r + 1);
            const bool nextEmpty = std::all_of(next.record.begin(), next.record.end(),
                                               [](const QString& c) { return c.isEmpty(); });
            if (!nextEmpty) {
                std::swap(m_order[r], m_order[r + 1]);
                Row& left = at(r + 1);
                for (QString& column : left.record) {
                    column.clear();
                }
                left.settings = {};
            } else {
                for (QString& column : at(r).record) {
                    if (!column.isEmpty()) {
                        column.clear();
                    }
                }
            }
        }
        if (!at(r).record[colSpotInfo].isEmpty()) {
            blnRowsPending = true;
        }
    }
    if (!at(spotQueueRows - 1).record[colSpotInfo].isEmpty()) {
        blnRowsPending = true;
    }
    if (!blnRowsPending) {
        START_PROCESS_TIMER(false);
    }
}

int SpotQueue::pendingRows() const
{
    int n = 0;
    for (const Row& r : m_rows) {
        if (!r.record[colSpotInfo].isEmpty()) {
            ++n;
        }
    }
    return n;
}

} // namespace zenthra
