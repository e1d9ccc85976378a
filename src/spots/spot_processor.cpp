#include "spots/spot_processor.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/legacy_value.h"
#include "propagation/path_figures.h"
#include "propagation/prop_classifier.h"
#include "propagation/prop_keywords.h"
#include "propagation/sporadic_e_path.h"
#include "spots/alarm_sounds.h"
#include "spots/spot_reports.h"
#include "spots/spot_store.h"

#include <QElapsedTimer>
#include <algorithm>
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

SpotProcessor::SpotProcessor(SpotQueue& queue, SpotStore& store, AlarmSounds& sounds, OptionsModel& options,
                             const PropKeywords& keywords, ErrorLog& log, QObject* parent)
    : QObject(parent), m_queue(queue), m_store(store), m_sounds(sounds), m_options(options),
      m_keywords(keywords), m_log(log), m_calcs(log)
{
    connect(&m_queue.tmrProcessSpot(), &QTimer::timeout, this, &SpotProcessor::tmrProcessSpot_Timer);
    m_followUp.setSingleShot(true);
    m_followUp.setInterval(0);
    connect(&m_followUp, &QTimer::timeout, this, &SpotProcessor::tmrProcessSpot_Timer);
    m_keywordsRetry.setSingleShot(true);
    m_keywordsRetry.setInterval(keywordsRetryInterval);
    connect(&m_keywordsRetry, &QTimer::timeout, this, &SpotProcessor::tmrProcessSpot_Timer);
    connect(&m_store, &SpotStore::located, this, &SpotProcessor::located);
    connect(&m_store, &SpotStore::storingChanged, this, &SpotProcessor::tellStoring);
    // An opening that could not read the list is said at once, not at the next spot.
    connect(&m_store, &SpotStore::opened, this, &SpotProcessor::tellStoring);
}

SpotProcessor::~SpotProcessor()
{
    // The spots still in the queue waited as well, behind these, and so did the lines a full
    // queue dropped since it last said so.
    const qsizetype waiting = qsizetype(m_waiting.size()) + m_queue.pendingRows();
    const qint64 dropped = m_droppedWaiting + m_queue.droppedSinceLastLog();
    if (waiting > 0 || dropped > 0) {
        m_log.WRITE_ERROR_LOG(errOutOfMemory,
                              QStringLiteral("spots waiting for the database: %1 not processed, %2 dropped")
                                  .arg(waiting)
                                  .arg(dropped));
    }
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
    if (m_inTick) {
        return;
    }
    m_inTick = true;
    QElapsedTimer spent;
    spent.start();
    bool spentOut = false;
    for (;;) {
        const Pass done = pass();
        if (m_queue.blnProcessBusy) {
            break;
        }
        spentOut = spent.elapsed() >= qint64(m_tickBudget.count());
        if (spentOut) {
            break;
        }
        // After a dropped spot row 0 is empty and row 1 holds the next; the next pass compacts.
        // Spots that wait for their look-ups still take the lines the link holds back, so that
        // the link never holds more than the queue.
        if ((done == Pass::Waiting || !rowsPending()) && !(m_feed && m_feed())) {
            break;
        }
    }
    if (m_batchOpen) {
        m_batchOpen = false;
        if (m_tickEnd) {
            m_tickEnd();
        }
    }
    m_inTick = false;
    // A flood outlasts the budget: the next tick follows as soon as the event loop has had its
    // turn, rather than after the timer's interval, so the road keeps up while the window stays
    // responsive.
    if (spentOut && rowsPending()) {
        m_followUp.start();
    }
    keepMoving();
    tellStoring();
}

void SpotProcessor::keepMoving()
{
    // Within a tick its own loop decides.
    if (m_inTick) {
        return;
    }
    // Neither the node's next line nor the queue's timer may be what moves the spots on: the
    // node may stay quiet, and the timer stops with the queue empty while spots still wait.
    // A refused spot leaves the pointer to the pass after it, and that pass is due at once. An
    // answered spot (a line the processor refuses is one from the start) that waits for the
    // keyword list is looked at again at the list's interval, not at once: nothing the road does
    // brings the list sooner.
    const bool answered = !m_waiting.empty() && m_waiting.front().answered;
    const bool mayAsk =
        !m_waiting.empty() && !answered && !m_waiting.front().asked && m_inFlight < lookupsInFlight;
    const bool oldestMoves = (answered && m_keywords.loaded()) || mayAsk;
    if (oldestMoves || m_crossHair) {
        m_followUp.start();
    } else if (answered && !m_keywordsRetry.isActive()) {
        m_keywordsRetry.start();
    }
}

bool SpotProcessor::rowsPending() const
{
    return m_queue.headPending() || !m_queue.row(1)[colSpotInfo].isEmpty() ||
           (!m_waiting.empty() && m_waiting.front().answered);
}

void SpotProcessor::fail(double number, const QString& workLine)
{
    m_log.WRITE_ERROR_LOG(number, QStringLiteral("PROCESS_DXC_SPOTS(") + shown(workLine) + u')');
    m_queue.blnProcessBusy = false;
}

SpotProcessor::SpotLine SpotProcessor::readSpotLine(const QString& cleaned)
{
    SpotLine l;
    // The queue took colour codes and stray control characters out when it stored the line.
    QString work = legacy::trim(cleaned);
    const auto failed = [&l, &work](double number) {
        l.failure = number;
        l.failedAt = work;
        return l;
    };
    if (work.size() > maxLineLength) {
        return failed(errBadSpot);
    }
    // A line without a colon gets one before its first blank.
    if (!work.contains(u':')) {
        const qsizetype blank = work.indexOf(u' ');
        if (blank < 0) {
            return failed(errInvalidCall);
        }
        work = work.left(blank) + u':' + work.mid(blank);
    }
    const qsizetype colon = work.indexOf(u':');
    l.spotter = work.left(colon).toUpper();
    if (const qsizetype dash = l.spotter.indexOf(u'-'); dash >= 0) {
        l.spotter.truncate(dash);
    }
    work = legacy::trim(work.mid(colon + 1));
    const qsizetype freqEnd = work.indexOf(u' ');
    if (freqEnd < 0) {
        return failed(errInvalidCall);
    }
    l.khz = static_cast<float>(legacy::val(QStringView(work).left(freqEnd)));
    if (!std::isfinite(l.khz)) {
        return failed(errOverflow);
    }
    if (l.khz == 0) {
        return failed(errBadSpot);
    }
    work = work.mid(freqEnd + 1) + u' ';
    const qsizetype callEnd = work.indexOf(u' ');
    l.dxCall = work.left(callEnd).toUpper();
    l.dxCall.replace(QLatin1String("/BCN"), QLatin1String("/B"));
    l.dxCall.replace(QLatin1String("/BEACON"), QLatin1String("/B"));
    l.rest = work.mid(callEnd + 1);
    return l;
}

void SpotProcessor::admit()
{
    // While the database answers, no more spots are taken than look-ups may be asked for: the
    // queue then fills, and the link holds back what the node sends, losing nothing. Only while
    // it cannot answer do spots wait here, up to the limit.
    const bool waitHere = m_store.lookupsWait();
    for (;;) {
        if (!waitHere && qsizetype(m_waiting.size()) >= std::min(lookupsInFlight, m_waitingLimit)) {
            return;
        }
        if (!m_queue.headPending()) {
            if (m_queue.row(1)[colSpotInfo].isEmpty()) {
                return;
            }
            m_queue.SORT_ARRAY();
            continue;
        }
        Waiting spot;
        spot.ticket = m_nextTicket++;
        spot.record = m_queue.row(0);
        spot.settings = m_queue.settings(0);
        m_queue.CLEAR_ARRAY_RECORD();
        m_queue.SORT_ARRAY();
        if (legacy::trim(spot.record[colSpotInfo]).isEmpty()) {
            continue;
        }
        spot.line = readSpotLine(spot.record[colSpotInfo]);
        // A line that cannot be read needs no look-up; it is dropped in its turn.
        spot.answered = spot.line.failure != 0;
        if (qsizetype(m_waiting.size()) >= m_waitingLimit) {
            if (m_waiting.empty()) {
                ++m_droppedWaiting;
                continue;
            }
            m_waiting.pop_front();
            ++m_droppedWaiting;
        }
        m_waiting.push_back(std::move(spot));
    }
}

void SpotProcessor::ask()
{
    for (Waiting& spot : m_waiting) {
        if (m_inFlight >= lookupsInFlight) {
            return;
        }
        if (spot.asked || spot.answered) {
            continue;
        }
        spot.asked = true;
        ++m_inFlight;
        const QString call1 = spot.record[colDxLoc1].size() < 4 ? spot.line.spotter : QString();
        const QString call2 = spot.record[colDxLoc2].size() < 4 ? spot.line.dxCall : QString();
        // A store in this thread answers at once, through located().
        m_store.locate(spot.ticket, call1, call2);
    }
}

void SpotProcessor::located(quint64 ticket, const QString& loc1, const QString& loc2)
{
    // A dropped spot's look-up stayed in the store until this answer, so its place is only free
    // now; and once the limit has dropped every spot whose look-up was asked, it is this place
    // that lets the oldest spot left ask for its own.
    --m_inFlight;
    const auto it = std::lower_bound(m_waiting.begin(), m_waiting.end(), ticket,
                                     [](const Waiting& w, quint64 t) { return w.ticket < t; });
    // The answer of a dropped spot is no other spot's.
    if (it != m_waiting.end() && it->ticket == ticket) {
        it->answered = true;
        it->loc1 = loc1;
        it->loc2 = loc2;
    }
    keepMoving();
}

SpotProcessor::Pass SpotProcessor::pass()
{
    if (m_queue.blnProcessBusy) {
        return Pass::Waiting;
    }
    admit();
    ask();
    if (m_waiting.empty()) {
        // Nothing to work on: the pointer goes back, as after a dropped spot.
        setCrossHair(true);
        m_queue.SORT_ARRAY();
        setCrossHair(false);
        logDropped();
        return Pass::Empty;
    }
    // A mode made without the keyword list would be stored as if it were the spot's: the spot
    // waits for the list instead.
    if (!m_waiting.front().answered || !m_keywords.loaded()) {
        // Nothing to work on until the database answers: no spot is being processed.
        setCrossHair(false);
        return Pass::Waiting;
    }
    Waiting spot = std::move(m_waiting.front());
    m_waiting.pop_front();
    setCrossHair(true);
    m_queue.blnProcessBusy = true;
    process(spot);
    if (m_waiting.empty()) {
        logDropped();
    }
    return Pass::Processed;
}

void SpotProcessor::logDropped()
{
    if (m_droppedWaiting > 0) {
        m_log.WRITE_ERROR_LOG(
            errOutOfMemory,
            QStringLiteral("spots waiting for the database: %1 oldest dropped").arg(m_droppedWaiting));
        m_droppedWaiting = 0;
    }
}

void SpotProcessor::PROCESS_DXC_SPOTS(int row)
{
    // The queue's rows are taken in order; a row further down waits for those before it.
    Q_UNUSED(row);
    pass();
    keepMoving();
}

void SpotProcessor::store(std::optional<SpotWriters::Row> row)
{
    if (!row) {
        return;
    }
    if (m_inTick && !m_batchOpen) {
        m_batchOpen = true;
        if (m_tickBegin) {
            m_tickBegin();
        }
    }
    m_store.store(std::move(*row));
}

QString SpotProcessor::notStoring() const
{
    const QString why = m_store.notStoring(waitingSpots());
    // While the store's opening is under way the list is still being read, not missing: over a
    // long path that takes a while, and the spots wait for it without a word.
    if (why.isEmpty() && !m_keywords.loaded() && !m_waiting.empty() && m_store.openAnswered()) {
        return SpotWriters::notStoringText(QString::fromLatin1(keywordsMissing), waitingSpots());
    }
    return why;
}

void SpotProcessor::tellStoring()
{
    const QString text = notStoring();
    if (text != m_told) {
        m_told = text;
        Q_EMIT storingChanged(text);
    }
}

void SpotProcessor::process(Waiting& spot)
{
    DxcSpotRecord& r = spot.record;
    SpotCalcSettings& settings = spot.settings;
    const SpotLine& line = spot.line;
    if (line.failure != 0) {
        fail(line.failure, line.failedAt);
        return;
    }
    r[colDxCall1] = line.spotter;
    if (r[colDxLoc1].size() < 4) {
        r[colDxLoc1] = m_calcs.CHECK_LOCATOR_SYNTAX(spot.loc1);
    }
    r[colFreq] = legacy::numberText(static_cast<float>(static_cast<double>(line.khz) * 0.001));
    r[colDxCall2] = line.dxCall;
    const QString commentKey = u' ' + line.rest.toUpper();
    if (r[colDxLoc2].size() < 4) {
        r[colDxLoc2] = m_calcs.CHECK_LOCATOR_SYNTAX(spot.loc2);
    }
    r[colDxComment] = u' ' + legacy::trim(line.rest);

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
    std::optional<SpotWriters::Row> mufRow;
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
            mufRow = SpotWriters::mufRow(r, toMidpoint, m_log);
        }
    }

    // Every spot, whatever its mode; a sporadic-E spot's two rows are stored together.
    std::optional<SpotWriters::Row> spotRow;
    if (settings.blnLogSpotToDb) {
        spotRow = SpotWriters::spotRow(r[colDxDateTime], r[colDxCall1], r[colDxLoc1], r[colDxCall2],
                                       r[colDxLoc2], r[colFreq], r[colSpotInfo], r[colSpotMode], m_log);
    }
    if (mufRow && spotRow) {
        mufRow->spotRowFollows = true;
    }
    store(std::move(mufRow));
    store(std::move(spotRow));

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
    m_queue.blnProcessBusy = false;
    setCrossHair(false);
}

void writeEachTickInOneTransaction(SpotProcessor& processor, SpotStore& store)
{
    processor.setTickBrackets([&store] { store.beginBatch(); }, [&store] { store.endBatch(); });
}

} // namespace zenthra
