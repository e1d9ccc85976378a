// The application's side of the spot road: where the line filter's announcements, window text,
// logging-program lines and caption go (its spots go to the road's own queue).

#include "shell/application.h"

namespace zenthra {

void Application::wireSpotRoad()
{
    LineFilter::Sinks& sinks = m_spotRoad.filter.sinks();
    sinks.announce = [this](QString& text) { m_announcements.ANNOUNCE_TO_DB(text); };
    sinks.showInDxcWindow = [this](QString& text) { m_textWindows.POPULATE_DXC_WINDOW(text); };
    sinks.addToDde = [this](const QString& line) { m_ddeLink.DDE_ADD_TO_ARRAY(line); };
    sinks.setStatus = [this](const QString& text) { setStatus(text); };
}

} // namespace zenthra
