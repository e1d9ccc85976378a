#pragma once

#include <QString>

namespace zenthra {

// The caption text for a link's state: "Zenthra calcs from DXC. " + name + the state's text.
QString WINSOCK_STATUS(const QString& name, float state);

} // namespace zenthra
