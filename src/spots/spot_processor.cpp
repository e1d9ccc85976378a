#include "spots/spot_processor.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/legacy_value.h"
#include "propagation/path_figures.h"
#include "propagation/prop_classifier.h"
#include "propagation/prop_keywords.h"
#include "propagation/sporadic_e_path.h"
#include "spots/alarm_sounds.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/spot_reports.h"
#include "spots/spot_writers.h"

#include <QElapsedTimer>
#include <cmath>
#include <memory>
#include <utility>

namespace zenthra {

namespace {

// The line as the error log shows it: one line, and not the whole of an endless one.
QString shown(const QString& line)
{
    constexpr qsizetype shownLength = 200;
    QString s = line.left(shownLength);
    for (QChar& c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || c.isSurrogate()) {
            c = u'?';
        }
    }
    if (line.size() > shownLength) {
        s += QStringLiteral("...");
    }
    return s;
}

using figures::at;
using figures::num;
using figures::Point;
using figures::text;

} // namespace

SpotProcessor::SpotProcessor(SpotQueue& queue, CallLocator& calls, SpotWriters& writers, AlarmSounds& sounds,
                             OptionsModel& options, const PropKeywords& keywords, ErrorLog& log,
                             QObject* parent)
    : QObject(parent), m_queue(queue), m_calls(calls), m_writers(writers), m_sounds(sounds),
      m_options(options), m_keywords(keywords), m_log(log), m_calcs(log)
{
    connect(&m_queue.tmrProcessSpot(), &QTimer::timeout, this, &SpotProcessor::tmrProcessSpot_Timer);
    m_followUp.setSingleShot(true);
    m_followUp.setInterval(0);
    connect(&m_followUp, &QTimer::timeout, this, &SpotProcessor::tmrProcessSpot_Timer);
}

void SpotProcessor::setCrossHair(bool on)
{
    if (on != m_crossHair) {
        m_crossHair = on;
        Q_EMIT crossHairChanged(on);
    }
}

void SpotProcessor::tmrProcessSpot_Timer()
{
    QElapsedTimer spent;
    spent.start();
    if (m_tickBegin) {
        m_tickBegin();
    }
    bool spentOut = false;
    for (;;) {
        PROCESS_DXC_SPOTS(0);
        if (m_queue.blnProcessBusy) {
            break;
        }
        spentOut = spent.elapsed() >= qint64(m_tickBudget.count());
        if (spentOut) {
            break;
        }
        // After a dropped spot row 0 is empty and row 1 holds the next; the next pass compacts.
        if (!rowsPending() && !(m_feed && m_feed())) {
            break;
        }
    }
    if (m_tickEnd) {
        m_tickEnd();
    }
    // A flood outlasts the budget: the next tick follows as soon as the event loop has had its
    // turn, rather than after the timer's interval, so the road keeps up while the window stays
    // responsive.
    if (spentOut && rowsPending()) {
        m_followUp.start();
    }
}

bool SpotProcessor::rowsPending() const
{
    return m_queue.headPending() || !m_queue.row(1)[colSpotInfo].isEmpty();
}

void SpotProcessor::fail(double number, const QString& workLine)
{
    m_log.WRITE_ERROR_LOG(number, QStringLiteral("PROCESS_DXC_SPOTS(") + shown(workLine) + u')');
    m_queue.CLEAR_ARRAY_RECORD();
    m_queue.blnProcessBusy = false;
}

void SpotProcessor::PROCESS_DXC_SPOTS(int row)
{
    DxcSpotRecord& r = m_queue.row(row);
    if (m_queue.blnProcessBusy) {
        return;
    }
    setCrossHair(true);
    m_queue.blnProcessBusy = true;
    // The queue took colour codes and stray control characters out when it stored the line.
    QString work = legacy::trim(r[colSpotInfo]);
    if (work.isEmpty()) {
        m_queue.SORT_ARRAY();
        setCrossHair(false);
        m_queue.blnProcessBusy = false;
        return;
    }
    SpotCalcSettings& settings = m_queue.settings(row);
    if (work.size() > maxLineLength) {
        fail(errBadSpot, work);
        return;
    }

    // Parse. A line without a colon gets one before its first blank.
    if (!work.contains(u':')) {
        const qsizetype blank = work.indexOf(u' ');
        if (blank < 0) {
            fail(errInvalidCall, work);
            return;
        }
        work = work.left(blank) + u':' + work.mid(blank);
    }
    const qsizetype colon = work.indexOf(u':');
    QString spotter = work.left(colon).toUpper();
    if (const qsizetype dash = spotter.indexOf(u'-'); dash >= 0) {
        spotter.truncate(dash);
    }
    r[colDxCall1] = spotter;
    work = legacy::trim(work.mid(colon + 1));
    if (r[colDxLoc1].size() < 4) {
        QString found = m_calls.GET_LOCATOR(r[colDxCall1]);
        r[colDxLoc1] = m_calcs.CHECK_LOCATOR_SYNTAX(found);
    }

    const qsizetype freqEnd = work.indexOf(u' ');
    if (freqEnd < 0) {
        fail(errInvalidCall, work);
        return;
    }
    const float khz = static_cast<float>(legacy::val(QStringView(work).left(freqEnd)));
    if (!std::isfinite(khz)) {
        fail(errOverflow, work);
        return;
    }
    if (khz == 0) {
        fail(errBadSpot, work);
        return;
    }
    r[colFreq] = legacy::numberText(static_cast<float>(static_cast<double>(khz) * 0.001));
    work = work.mid(freqEnd + 1) + u' ';
    const qsizetype callEnd = work.indexOf(u' ');
    QString dxCall = work.left(callEnd).toUpper();
    dxCall.replace(QLatin1String("/BCN"), QLatin1String("/B"));
    dxCall.replace(QLatin1String("/BEACON"), QLatin1String("/B"));
    r[colDxCall2] = dxCall;
    work = work.mid(callEnd + 1);
    const QString commentKey = u' ' + work.toUpper();
    if (r[colDxLoc2].size() < 4) {
        QString found = m_calls.GET_LOCATOR(r[colDxCall2]);
        r[colDxLoc2] = m_calcs.CHECK_LOCATOR_SYNTAX(found);
    }
    r[colDxComment] = u' ' + legacy::trim(work);

    // Distance and mode.
    const bool bothKnown = !r[colDxLoc1].isEmpty() && !r[colDxLoc2].isEmpty();
    const Point spotterAt = at(r[colDxLoc1]);
    const Point dxAt = at(r[colDxLoc2]);
    bool zeroPath = false;
    if (bothKnown) {
        const double qrb = m_calcs.CALCULATE_QRB(spotterAt.lat, spotterAt.lon, dxAt.lat, dxAt.lon);
        r[colQrb1] = text(qrb);
        zeroPath = qrb == 0;
    }
    r[colSpotMode] = GET_PROPAGATION(commentKey, r[colDxCall2], num(r[colFreq]), num(r[colQrb1]),
                                     m_keywords.arrPropTypes(), m_options.classifier, m_log);
    if (r[colDxCall2] == r[colDxCall1]) {
        r[colSpotMode] = QStringLiteral("UNKNOWN");
    }
    if (bothKnown) {
        r[colQtf1] = text(m_calcs.CALCULATE_QTF(spotterAt.lat, spotterAt.lon, dxAt.lat, dxAt.lon));
    }

    // Sporadic-E calculation. A path of no length has no reflection point and so no MUF.
    const double layer = settings.dblCalcLayerHeight;
    const double masl = settings.dblCalcMasl;
    const bool isEs = r[colSpotMode] == QLatin1String("ES");
    if (bothKnown && isEs && !zeroPath) {
        const HeardPath heard{r[colDxLoc1], r[colDxLoc2], r[colQrb1], num(r[colFreq]), layer, masl};
        const SporadicEPath es =
            sporadicEPath(m_calcs, heard, settings.strCalcHomeLoc, WithoutHome::FromOrigin);
        r[colElev1] = es.elevation;
        r[colCentreLoc] = es.midLocator;
        r[colCritFreq] = es.critFreq;
        r[colMuf] = es.muf;
        r[colTryFrom] = es.tryFrom;
        r[colTryTo] = es.tryTo;
        r[colQtf2] = es.qtfTo;
        r[colQrb2] = es.qrbTo;
        r[colElev2] = es.elevationTo;
        r[colFot] = es.fot;
        if (mufInRange(num(r[colMuf])) && settings.blnLogMufToDb) {
            const Point home = at(r[colTryFrom]);
            const Point centre = at(r[colCentreLoc]);
            const QString toMidpoint =
                text(m_calcs.CALCULATE_QRB(centre.lat, centre.lon, home.lat, home.lon));
            m_writers.WRITE_MUF_TO_DB(r, toMidpoint);
        }
    }

    // Every spot, whatever its mode.
    if (settings.blnLogSpotToDb) {
        m_writers.WRITE_SPOT_TO_DB(r[colDxDateTime], r[colDxCall1], r[colDxLoc1], r[colDxCall2], r[colDxLoc2],
                                   r[colFreq], r[colSpotInfo], r[colSpotMode]);
    }

    // Reports.
    const double freq = num(r[colFreq]);
    const double muf = num(r[colMuf]);
    const bool calcEs = m_options.checked(keys::calcEs);
    if (calcEs && mufInRange(muf)) {
        const Point home = at(r[colTryFrom]);
        const Point centre = at(r[colCentreLoc]);
        const double d = m_calcs.CALCULATE_QRB(centre.lat, centre.lon, home.lat, home.lon);
        if (reflectionShown(d, m_options.classifier.blnEsBeyond5000)) {
            const DoubleHopOptions hops{m_options.blnCalcDoubleHop, m_options.intDoubleHopMinQrb,
                                        m_options.blnDoubleHop50, m_options.blnDoubleHop70,
                                        m_options.blnDoubleHop144};
            const auto report = spot_reports::esReport(r, settings, hops, m_calcs);
            if (!report) {
                fail(errTypeMismatch, r[colSpotInfo]);
                return;
            }
            strMufReport = *report;
            m_lastReport = strMufReport;
            if (freq >= 1) {
                Q_EMIT mufReport(std::exchange(strMufReport, QString()));
            }
            Q_EMIT captionChanged(spot_reports::captionLine(r));
        }
    } else if (calcEs && muf < 1 && isEs && !zeroPath) {
        const auto report = spot_reports::locatorMissingReport(r);
        if (!report) {
            fail(errTypeMismatch, r[colSpotInfo]);
            return;
        }
        strMufReport = *report;
        m_lastReport = strMufReport;
        if (freq >= 33) {
            Q_EMIT mufReport(std::exchange(strMufReport, QString()));
        }
    }
    if (m_options.checked(keys::calcVhf)) {
        QString home = settings.strCalcHomeLoc;
        const QString checked = m_calcs.CHECK_LOCATOR_SYNTAX(home);
        settings.strCalcHomeLoc = home;
        const auto report = spot_reports::vhfReport(r, checked, m_calcs);
        if (!report) {
            fail(errTypeMismatch, r[colSpotInfo]);
            return;
        }
        strMufReport = *report;
        m_lastReport = strMufReport;
        if (freq >= 33) {
            Q_EMIT vhfReport(std::exchange(strMufReport, QString()));
        }
    }

    m_sounds.Play_Sound(r[colSpotMode], muf);
    m_queue.CLEAR_ARRAY_RECORD();
    m_queue.SORT_ARRAY();
    m_queue.blnProcessBusy = false;
    setCrossHair(false);
}

void writeEachTickInOneTransaction(SpotProcessor& processor, SpotWriters& writers)
{
    processor.setTickBrackets([&writers] { writers.beginBatch(); }, [&writers] { writers.endBatch(); });
}

} // namespace zenthra
