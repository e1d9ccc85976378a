#pragma once
// The link to a station logging program: spot lines wait in a small first-in, first-out queue
// and the sender timer hands the oldest one over per tick (the TCP poke of the platform layer
// stands in for the original inter-process link).

#include "platform/logger_poke.h"

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

namespace zenthra {

class ErrorLog;
class OptionsModel;

class DdeLink : public QObject
{
    Q_OBJECT
public:
    // How many lines wait at most; further lines are dropped until one has gone.
    static constexpr std::size_t queueSlots = 21;
    static constexpr const char* failureText = "Zenthra calcs: Error: DDE Link Failure, check settings";

    // `setStatus` puts a text into the main window's caption.
    DdeLink(const OptionsModel& options, std::function<void(const QString&)> setStatus,
            QObject* parent = nullptr);

    // Queues a spot line behind those already waiting. An empty line, or one that finds the
    // queue full, is dropped.
    void DDE_ADD_TO_ARRAY(const QString& line);

    // Sends the oldest line while "DDE Link to Log?" is ticked. A line of blanks, or any line
    // while the item is unticked, leaves the queue without being sent. A failed send keeps the
    // line at the head for the next tick and reports in the caption.
    void DDE_SEND_QUEUE();

    // One tick of the sender timer: a send still under way is left to finish.
    void tmrTarnLog_Timer();

    // The waiting lines, oldest first.
    const std::deque<QString>& arrDdeQueue() const { return m_queue; }
    // True from the start of a send until its outcome is known.
    bool blnDdeBusy() const { return m_busy; }

Q_SIGNALS:
    // After each send attempt that reached the logging program's address (true when delivered).
    void sendFinished(bool delivered);

private:
    void onPokeFinished(bool delivered);

    const OptionsModel& m_options;
    std::function<void(const QString&)> m_setStatus;
    std::deque<QString> m_queue;
    bool m_busy = false;
    LoggerPoke m_poke;
};

} // namespace zenthra
