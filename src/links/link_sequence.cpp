#include "link_sequence.h"

namespace zenthra {

LinkSequence::LinkSequence(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire 5 % early; the node must see at least the pause between lines.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinkSequence::drain);
}

void LinkSequence::run(std::function<void()> step)
{
    m_steps.push_back({0, std::move(step)});
    drain();
}

void LinkSequence::pause(int ms)
{
    m_steps.push_back({ms, {}});
    drain();
}

void LinkSequence::drain()
{
    // A step may queue further steps; they join the queue and run in this same loop.
    if (m_running || m_timer.isActive()) {
        return;
    }
    m_running = true;
    while (!m_steps.empty()) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (step.pauseMs > 0) {
            m_timer.start(step.pauseMs);
            m_running = false;
            Q_EMIT pauseStarted(step.pauseMs);
            return;
        }
        if (step.fn) {
            step.fn();
        }
    }
    m_running = false;
    Q_EMIT idle();
}

} // namespace zenthra
