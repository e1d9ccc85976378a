#pragma once
// The steps a link performs in order, with pauses between lines sent to the node. The pauses
// are timers, so the window stays live; everything a link does (including handling received
// text) goes through its sequence, which keeps the order and the spacing on the wire.

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace zenthra {

class LinkSequence : public QObject
{
    Q_OBJECT
public:
    explicit LinkSequence(QObject* parent = nullptr);

    // Runs the step now when nothing is waiting, else after the steps before it.
    void run(std::function<void()> step);
    // Delays the steps that follow by `ms` milliseconds.
    void pause(int ms);
    // True while a pause is running or steps are waiting.
    bool busy() const { return m_timer.isActive() || !m_steps.empty() || m_running; }

Q_SIGNALS:
    // The last waiting step has run.
    void idle();
    // A pause of `ms` milliseconds has begun.
    void pauseStarted(int ms);

private:
    struct Step
    {
        int pauseMs = 0;
        std::function<void()> fn;
    };
    void drain();

    std::deque<Step> m_steps;
    QTimer m_timer;
    bool m_running = false;
};

} // namespace zenthra
