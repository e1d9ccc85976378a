// The application's side of the spot road: where the line filter's announcements, window text,
// logging-program lines and caption go, and the processor's reports (its spots go to the road's own
// queue).

#include "shell/application.h"

namespace zenthra {

void Application::wireSpotRoad()
{
    LineFilter::Sinks& sinks = m_spotRoad.filter.sinks();
    sinks.announce = [this](QString& text) { m_announcements.ANNOUNCE_TO_DB(text); };
    sinks.showInDxcWindow = [this](QString& text) { m_textWindows.POPULATE_DXC_WINDOW(text); };
    sinks.addToDde = [this](const QString& line) { m_ddeLink.DDE_ADD_TO_ARRAY(line); };
    sinks.setStatus = [this](const QString& text) { setStatus(text); };

    connect(&m_spotRoad.processor, &SpotProcessor::mufReport, this,
            [this](QString text) { m_textWindows.POPULATE_MUF_WINDOW(text); });
    connect(&m_spotRoad.processor, &SpotProcessor::vhfReport, this,
            [this](QString text) { m_textWindows.POPULATE_VHF_WINDOW(text); });
}

} // namespace zenthra
