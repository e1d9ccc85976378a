// The application's ownership of the spot road behind the line filter: the map timer that the
// sporadic-E writer switches on, and the caption lines of the processor and the call/locator
// import, and the caption line while spots cannot be stored.

#include "shell/application.h"

namespace zenthra {

void Application::ownSpotRoad()
{
    m_tmrMapping.setInterval(1000);
    connect(&m_tmrMapping, &QTimer::timeout, &m_mufMap.pathMap(), &PathMap::tmrMapping_Timer);
    // Switching on a running timer leaves its rhythm alone, so a burst of rows cannot starve it.
    // The timer goes before the road: the connection goes with it.
    connect(&m_spotRoad.store, &SpotStore::mufRowStored, &m_tmrMapping, [this] {
        if (!m_tmrMapping.isActive()) {
            m_tmrMapping.start();
        }
    });
    // While spots wait in memory the caption says so; the processor's lines are kept for after.
    connect(&m_spotRoad.processor, &SpotProcessor::captionChanged, &m_caption, &StatusCaption::setRoadText);
    connect(&m_spotRoad.processor, &SpotProcessor::storingChanged, &m_caption, &StatusCaption::setNote);
    connect(&m_callLocator, &CallLocator::statusChanged, this, &Application::setStatus);
}

} // namespace zenthra
