#include "line_link.h"

namespace zenthra {

LineLink::LineLink(QString name, qint16* linkError, QObject* parent)
    : TelnetLink(std::move(name), linkError, parent)
{
    m_partialTimer.setSingleShot(true);
    m_partialTimer.setInterval(partialLineWait);
    connect(&m_partialTimer, &QTimer::timeout, this, [this] {
        // A pending dialogue step is no silence of the node: the rest of the line may be waiting.
        if (busy()) {
            m_partialTimer.start();
            return;
        }
        flushPartial();
    });
}

void LineLink::deliver(const QString& chunk)
{
    const QStringList lines = m_lines.feed(chunk);
    for (const QString& line : lines) {
        handleLine(line);
    }
    if (m_lines.hasPartial()) {
        m_partialTimer.start();
    } else {
        m_partialTimer.stop();
    }
}

void LineLink::flushPartial()
{
    m_partialTimer.stop();
    const QString tail = m_lines.flush();
    if (!tail.isEmpty()) {
        handleLine(tail);
    }
}

} // namespace zenthra
