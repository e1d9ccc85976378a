// The application's side of the spot road: where the line filter's announcements, window text,
// logging-program lines, spots and caption go, and the processor's reports.

#include "shell/application.h"

namespace zenthra {

void Application::wireSpotRoad()
{
    LineFilter::Sinks& sinks = m_lineFilter.sinks();
    sinks.announce = [this](QString& text) { m_announcements.ANNOUNCE_TO_DB(text); };
    sinks.showInDxcWindow = [this](QString& text) { m_textWindows.POPULATE_DXC_WINDOW(text); };
    sinks.addToDde = [this](const QString& line) { m_ddeLink.DDE_ADD_TO_ARRAY(line); };
    sinks.setStatus = [this](const QString& text) { setStatus(text); };
    sinks.queueSpot = [this](QString& line, const QString& time, const QString& homeLoc, double eLayerHeight,
                             double masl, bool logMufToDb, bool logSpotToDb, const QString& loc1,
                             const QString& loc2) {
        m_spotQueue.QUEUE_DXC_SPOT(line, time, homeLoc, eLayerHeight, masl, logMufToDb, logSpotToDb, loc1,
                                   loc2);
    };

    connect(&m_spotProcessor, &SpotProcessor::mufReport, this,
            [this](QString text) { m_textWindows.POPULATE_MUF_WINDOW(text); });
    connect(&m_spotProcessor, &SpotProcessor::vhfReport, this,
            [this](QString text) { m_textWindows.POPULATE_VHF_WINDOW(text); });
    writeEachTickInOneTransaction(m_spotProcessor, m_database, m_errorLog);
}

} // namespace zenthra
