// The application's ownership of the spot road behind the line filter: the map timer that the
// sporadic-E writer switches on, and the caption lines of the processor and the call/locator
// import.

#include "shell/application.h"

namespace zenthra {

void Application::ownSpotRoad()
{
    m_tmrMapping.setInterval(1000);
    connect(&m_tmrMapping, &QTimer::timeout, &m_mufMap.pathMap(), &PathMap::tmrMapping_Timer);
    // Switching on a running timer leaves its rhythm alone, so a burst of rows cannot starve it.
    connect(&m_spotRoad.writers, &SpotWriters::mufRowStored, this, [this] {
        if (!m_tmrMapping.isActive()) {
            m_tmrMapping.start();
        }
    });
    connect(&m_spotRoad.processor, &SpotProcessor::captionChanged, this, &Application::setStatus);
    connect(&m_spotRoad.calls, &CallLocator::statusChanged, this, &Application::setStatus);
}

} // namespace zenthra
