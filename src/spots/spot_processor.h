#pragma once
// The spot processor: takes the spots of the queue in arrival order, asks the spot store for the
// locators of their calls, and works through each spot once its answer is in (mode, the
// sporadic-E calculation, the two table rows, the reports, the alarm). A line it cannot read is
// logged and dropped; the road goes on.
//
// A spot whose look-ups the database cannot answer yet waits, in order, so that once it can its
// rows are those it would have had without the wait; at most waitingLimit spots wait, beyond that
// the oldest go and the error log says how many. While any spot waits, a look-up is asked for the
// oldest or a pass is due, so the spots move on by themselves once the database answers.

#include "propagation/muf_calcs.h"
#include "spots/spot_queue.h"
#include "spots/spot_writers.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include <chrono>
#include <deque>
#include <optional>

namespace zenthra {

class AlarmSounds;
class ErrorLog;
class OptionsModel;
class PropKeywords;
class SpotStore;

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
    static constexpr double errOutOfMemory = 7;
    static constexpr qsizetype waitingLimit = 10000;
    // Look-ups handed to the store and not yet answered, at most; the rest wait here.
    static constexpr qsizetype lookupsInFlight = 1000;
    // Why spots wait while no layer could read the keyword list.
    static constexpr const char* keywordsMissing = "the propagation keyword list could not be read";
    // While the oldest spot waits only for the keyword list, a pass looks for it this often.
    static constexpr std::chrono::milliseconds keywordsRetryInterval{1000};

    SpotProcessor(SpotQueue& queue, SpotStore& store, AlarmSounds& sounds, OptionsModel& options,
                  const PropKeywords& keywords, ErrorLog& log, QObject* parent = nullptr);
    // Spots still waiting for the database, in the queue or here, are lost with the program:
    // logged with their count.
    ~SpotProcessor() override;

    // One pass: the queue's spots go to the waiting line and their look-ups are asked for; then
    // the oldest spot is processed if its answer is in. A pass that finds nothing to do moves
    // the queue up; one that finds nothing to process puts the pointer back.
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

    // Spots taken from the queue and not yet processed.
    qsizetype waitingSpots() const { return qsizetype(m_waiting.size()); }
    void setWaitingLimit(qsizetype spots) { m_waitingLimit = spots; }
    // Empty while spots are stored; else the caption line that says why not, and how many wait.
    QString notStoring() const;

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
    // notStoring() changed: a line for the caption, or empty once spots are stored again.
    void storingChanged(const QString& text);

private:
    // A spot line read as far as its calls: what the look-ups need, and where reading failed.
    struct SpotLine
    {
        double failure = 0;
        QString failedAt;
        QString spotter;
        float khz = 0;
        QString dxCall;
        QString rest;
    };
    struct Waiting
    {
        quint64 ticket = 0;
        DxcSpotRecord record;
        SpotCalcSettings settings;
        SpotLine line;
        bool asked = false;
        bool answered = false;
        QString loc1;
        QString loc2;
    };
    enum class Pass
    {
        Processed,
        Empty,
        Waiting,
    };
    static SpotLine readSpotLine(const QString& cleaned);
    Pass pass();
    void admit();
    void ask();
    void located(quint64 ticket, const QString& loc1, const QString& loc2);
    // Outside a tick: a pass follows when the oldest spot is answered or may ask, or the pointer
    // is left on.
    void keepMoving();
    void logDropped();
    void process(Waiting& spot);
    void store(std::optional<SpotWriters::Row> row);
    void tellStoring();
    void setCrossHair(bool on);
    bool rowsPending() const;
    void fail(double number, const QString& workLine);

    SpotQueue& m_queue;
    SpotStore& m_store;
    AlarmSounds& m_sounds;
    OptionsModel& m_options;
    const PropKeywords& m_keywords;
    ErrorLog& m_log;
    MufCalcs m_calcs;
    std::chrono::milliseconds m_tickBudget{50};
    std::function<bool()> m_feed;
    QTimer m_followUp;
    QTimer m_keywordsRetry;
    std::function<void()> m_tickBegin;
    std::function<void()> m_tickEnd;
    bool m_crossHair = false;
    QString m_lastReport;
    std::deque<Waiting> m_waiting;
    qsizetype m_waitingLimit = waitingLimit;
    qint64 m_droppedWaiting = 0;
    quint64 m_nextTicket = 1;
    qsizetype m_inFlight = 0;
    bool m_inTick = false;
    bool m_batchOpen = false;
    QString m_told;
};

// The rows of one processing tick share the writers' batch (one transaction on SQLite).
void writeEachTickInOneTransaction(SpotProcessor& processor, SpotStore& store);

} // namespace zenthra
