// The application's side of the spot road: where the line filter's announcements, window text,
// logging-program lines, spots and caption go.

#include "shell/application.h"

namespace zenthra {

void Application::wireSpotRoad()
{
    LineFilter::Sinks& sinks = m_lineFilter.sinks();
    sinks.announce = [this](QString& text) { m_announcements.ANNOUNCE_TO_DB(text); };
    sinks.showInDxcWindow = [this](QString& text) { m_textWindows.POPULATE_DXC_WINDOW(text); };
    sinks.addToDde = [this](const QString& line) { m_ddeLink.DDE_ADD_TO_ARRAY(line); };
    sinks.setStatus = [this](const QString& text) { setStatus(text); };
    sinks.queueSpot = [this](QueuedSpot& spot) { m_spotQueue.QUEUE_DXC_SPOT(spot); };

    writeEachTickInOneTransaction(m_spotProcessor, m_database, m_errorLog);
}

} // namespace zenthra
