#pragma once
// The spot queue: a fixed table of 121 rows that decouples the arrival of DX-cluster spot lines
// from the work done per spot, and the timer whose ticks drain it. Row 0 is the head; the
// filled rows are always rows 0 to n-1 in arrival order.

#include "propagation/muf_calcs.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>

namespace zenthra {

class ErrorLog;
class OptionsModel;

// The columns of one queued spot (numbers are held as their decimal text).
enum SpotColumn : int
{
    colDxCall1 = 0, // spotter, upper case, SSID cut off
    colDxLoc1 = 1,  // spotter's locator, six characters or ""
    colFreq = 2,    // MHz
    colDxCall2 = 3, // DX call, "/BCN" and "/BEACON" shown as "/B"
    colDxLoc2 = 4,  // DX locator
    colDxDateTime = 5,
    colDxComment = 6, // never read
    colSpotMode = 7,
    colQtf1 = 8,
    colQrb1 = 9,
    colElev1 = 10,
    colCentreLoc = 11,
    colCritFreq = 12,
    colMuf = 13,
    colTryFrom = 14,
    colTryTo = 15,
    colQtf2 = 16,
    colQrb2 = 17,
    colElev2 = 18,
    colFot = 19,
    colSpotInfo = 20, // the cleaned line; "" marks a free row
};

constexpr int spotColumnCount = 21;
constexpr int spotQueueRows = 121;

using DxcSpotRecord = std::array<QString, spotColumnCount>;

// The calculation settings a spot was queued with. Each row keeps its own, so a later queue call
// never changes the figures of a spot queued before it.
struct SpotCalcSettings
{
    double dblCalcMasl = 0;
    double dblCalcLayerHeight = 0;
    // Upper case; normalised by the locator check when it passes it ("IO91" is held as "IO91MM").
    QString strCalcHomeLoc;
    bool blnLogMufToDb = false;
    bool blnLogSpotToDb = false;
};

// A spot line on its way into the queue, with the calculation settings in force when it came.
struct QueuedSpot
{
    // Emptied when the queue stores it.
    QString line;
    // Used when longer than four characters, else the time of queueing.
    QString time;
    QString homeLoc;
    double eLayerHeight = 0;
    double masl = 0;
    bool logMufToDb = false;
    bool logSpotToDb = false;
    // Used when both are longer than three characters, else looked up when processed.
    QString loc1;
    QString loc2;
};

// The text form of the spot time in column 5, and back (UTC, whole seconds).
QString spotTimeText(const QDateTime& utc);
QDateTime readSpotTime(const QString& text);

class SpotQueue : public QObject
{
    Q_OBJECT
public:
    static constexpr int armedInterval = 100; // ms
    static constexpr int limitedLength = 67;
    // At most one log line per this many milliseconds about lines that found the queue full.
    static constexpr qint64 overflowLogInterval = 60000;
    static constexpr double errQueueFull = 9; // subscript out of range

    SpotQueue(OptionsModel& options, ErrorLog& log, std::function<QDateTime()> utcNow,
              QObject* parent = nullptr);

    // Takes the spot's settings and stores the cleaned line in the first free row (the filter
    // passes no time and no locators).
    void QUEUE_DXC_SPOT(QueuedSpot& spot);
    void CLEAN_DXC_SPOTS(QString& line, const QString& time, const QString& loc1, const QString& loc2);
    // Interval 100 ms, then on or off.
    void START_PROCESS_TIMER(bool enable);
    // Empties row 0.
    void CLEAR_ARRAY_RECORD();
    // Compacts the queue upwards; disarms the timer when no row is left.
    void SORT_ARRAY();

    DxcSpotRecord& row(int r) { return at(r).record; }
    const DxcSpotRecord& row(int r) const { return at(r).record; }
    SpotCalcSettings& settings(int r) { return at(r).settings; }
    const SpotCalcSettings& settings(int r) const { return at(r).settings; }
    // Rows whose column 20 is filled.
    int pendingRows() const;
    bool headPending() const { return !at(0).record[colSpotInfo].isEmpty(); }

    QTimer& tmrProcessSpot() { return m_tmrProcessSpot; }

    // Lines that found every row taken and are not yet counted in a log line.
    qint64 droppedSinceLastLog() const { return m_droppedSinceLog; }
    // Monotonic milliseconds for the overflow log's pacing; tests replace it.
    void setMonotonicClock(std::function<qint64()> clock) { m_monotonic = std::move(clock); }

    bool blnCleanBusy = false;
    bool blnRowsPending = false;
    // The processor's re-entrancy guard; CLEAR_ARRAY_RECORD clears it on its error path.
    bool blnProcessBusy = false;
    // Held while a call/locator look-up or a spot writer has the database.
    bool blnDbBusy = false;

private:
    struct Row
    {
        DxcSpotRecord record;
        SpotCalcSettings settings;
    };
    // Rows stay where they are; moving the queue up moves their places in m_order, not their
    // 21 texts.
    Row& at(int r) { return m_rows[m_order[r]]; }
    const Row& at(int r) const { return m_rows[m_order[r]]; }
    void noteDropped(const QString& line);
    void flushDroppedCount(const QString& line);

    OptionsModel& m_options;
    ErrorLog& m_log;
    MufCalcs m_calcs;
    std::function<QDateTime()> m_utcNow;
    std::array<Row, spotQueueRows> m_rows;
    std::array<quint8, spotQueueRows> m_order;
    // The settings of the latest queue call, given to the row it stores.
    SpotCalcSettings m_pending;
    QTimer m_tmrProcessSpot;

    std::function<qint64()> m_monotonic;
    QElapsedTimer m_steady;
    qint64 m_lastOverflowLog = -1;
    qint64 m_droppedSinceLog = 0;
};

} // namespace zenthra
