#pragma once
// The spot processor: works through the head row of the spot queue in one pass (parse, both
// locators, mode, the sporadic-E calculation, the two table rows, the reports, the alarm) and
// then moves the queue up. A line it cannot read is logged and dropped; the road goes on.

#include "propagation/muf_calcs.h"
#include "spots/spot_queue.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include <chrono>

namespace zenthra {

class AlarmSounds;
class CallLocator;
class ErrorLog;
class OptionsModel;
class Database;
class PropKeywords;
class SpotWriters;

class SpotProcessor : public QObject
{
    Q_OBJECT
public:
    static constexpr double errBadSpot = 9876;
    static constexpr double errInvalidCall = 5;   // no token where the line needs one
    static constexpr double errOverflow = 6;      // a frequency beyond single precision
    static constexpr double errTypeMismatch = 13; // a spot time that is no date
    // No cluster line comes near this; a longer one is refused rather than carried into every table.
    static constexpr int maxLineLength = 500;
    static constexpr double reportRadiusKm = 5000;

    SpotProcessor(SpotQueue& queue, CallLocator& calls, SpotWriters& writers, AlarmSounds& sounds,
                  OptionsModel& options, const PropKeywords& keywords, ErrorLog& log,
                  QObject* parent = nullptr);

    // One pass over the row (the tick passes 0).
    void PROCESS_DXC_SPOTS(int row = 0);
    // One tick: rows until the queue is empty or the tick's budget is spent (at least one row).
    void tmrProcessSpot_Timer();
    void setTickBudget(std::chrono::milliseconds budget) { m_tickBudget = budget; }
    // Called when the queue runs dry within a tick's budget: a source holding lines back (the
    // DX-cluster link) may top the queue up; true when it did, and the tick goes on.
    void setFeeder(std::function<bool()> feed) { m_feed = std::move(feed); }
    // Run around each tick's rows, so the writes of one tick can share one transaction.
    void setTickBrackets(std::function<void()> begin, std::function<void()> end)
    {
        m_tickBegin = std::move(begin);
        m_tickEnd = std::move(end);
    }

    // The report built last (a report handed on is taken from strMufReport, so this is what went).
    const QString& lastReport() const { return m_lastReport; }

    // The store and report rules at their edges.
    static bool mufInRange(double muf) { return muf > 0 && muf < 300; }
    static bool reflectionShown(double kmFromHome, bool beyond5000)
    {
        return kmFromHome <= reportRadiusKm || beyond5000;
    }

    QString strMufReport;

Q_SIGNALS:
    // A report for the MUF window (sporadic-E paths), and one for the VHF window. Each takes the
    // text out of strMufReport, as the windows' appenders take their caller's text.
    void mufReport(const QString& text);
    void vhfReport(const QString& text);
    // The summary line of the latest sporadic-E report, for the main window's caption.
    void captionChanged(const QString& text);
    // True while a spot is processed: the cross-hair pointer; false: the default pointer.
    void crossHairChanged(bool on);

private:
    void setCrossHair(bool on);
    bool rowsPending() const;
    void fail(double number, const QString& workLine);

    SpotQueue& m_queue;
    CallLocator& m_calls;
    SpotWriters& m_writers;
    AlarmSounds& m_sounds;
    OptionsModel& m_options;
    const PropKeywords& m_keywords;
    ErrorLog& m_log;
    MufCalcs m_calcs;
    std::chrono::milliseconds m_tickBudget{50};
    std::function<bool()> m_feed;
    QTimer m_followUp;
    std::function<void()> m_tickBegin;
    std::function<void()> m_tickEnd;
    bool m_crossHair = false;
    QString m_lastReport;
};

// The rows of one processing tick share the writers' batch (one transaction on SQLite).
void writeEachTickInOneTransaction(SpotProcessor& processor, SpotWriters& writers);

} // namespace zenthra
