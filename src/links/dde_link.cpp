#include "links/dde_link.h"

#include "core/options_model.h"

namespace zenthra {

DdeLink::DdeLink(const OptionsModel& options, std::function<void(const QString&)> setStatus, QObject* parent)
    : QObject(parent), m_options(options), m_setStatus(std::move(setStatus))
{
    connect(&m_poke, &LoggerPoke::finished, this, &DdeLink::onPokeFinished);
}

void DdeLink::DDE_ADD_TO_ARRAY(const QString& line)
{
    // Appending at the tail keeps the arrival order: a line that came later never overtakes one
    // that is still waiting.
    if (line.isEmpty() || m_queue.size() >= queueSlots) {
        return;
    }
    m_queue.push_back(line);
}

void DdeLink::tmrTarnLog_Timer()
{
    if (!m_busy) {
        DDE_SEND_QUEUE();
    }
}

void DdeLink::DDE_SEND_QUEUE()
{
    if (m_busy || m_queue.empty()) {
        return;
    }
    m_busy = true;
    const QString& head = m_queue.front();
    if (!m_options.checked(keys::ddeLink) || head.trimmed().isEmpty()) {
        m_queue.pop_front();
        m_busy = false;
        return;
    }
    m_poke.poke(m_options.strDdeExeName, m_options.strDdeTopic, m_options.strDdeItem, head);
}

void DdeLink::onPokeFinished(bool delivered)
{
    if (delivered) {
        if (!m_queue.empty()) {
            m_queue.pop_front();
        }
    } else if (m_setStatus) {
        m_setStatus(QString::fromLatin1(failureText));
    }
    m_busy = false;
    Q_EMIT sendFinished(delivered);
}

} // namespace zenthra
