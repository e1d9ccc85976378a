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
    sinks.queueSpot = [this](QString& line, const QString& time, const QString& homeLoc, double eLayerHeight,
                             double masl, bool logMufToDb, bool logSpotToDb, const QString& loc1,
                             const QString& loc2) {
        m_spotQueue.QUEUE_DXC_SPOT(line, time, homeLoc, eLayerHeight, masl, logMufToDb, logSpotToDb, loc1,
                                   loc2);
    };

    // On SQLite the rows of one processing tick are written in one transaction: each commit of
    // its own would cost more than the spot's whole calculation. A failed statement leaves an
    // SQLite transaction usable, so one bad row never costs the others. On the server every
    // row commits on its own, as there a failed statement would void the whole transaction.
    m_spotProcessor.setTickBrackets(
        [this] {
            m_tickTransaction = m_database.isOpen() && m_database.dialect() == SqlDialect::Sqlite &&
                                m_database.connection(Store::Spots).transaction();
        },
        [this] {
            if (m_tickTransaction && !m_database.connection(Store::Spots).commit()) {
                m_errorLog.WRITE_ERROR_LOG(Database::errCommandFailed,
                                           QStringLiteral("tmrProcessSpot_Timer()"));
            }
            m_tickTransaction = false;
        });
}

} // namespace zenthra
