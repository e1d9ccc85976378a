#include "winsock_status.h"

#include "platform/legacy_value.h"

#include <array>
#include <cmath>

namespace zenthra {

QString WINSOCK_STATUS(const QString& name, float state)
{
    static const std::array<const char*, 10> texts = {
        " STATUS: Closed..",        " STATUS: Open",
        "  STATUS: Listening",      " STATUS: Connection pending",
        " STATUS: Resolving host",  " STATUS: Host resolved",
        " STATUS: Connecting..",    " STATUS: Connected",
        " STATUS: Disconnecting..", " STATUS: Error!",
    };
    QString text = QStringLiteral("Zenthra calcs from DXC. ") + name;
    if (state >= 0 && state <= 9 && std::floor(state) == state) {
        return text + QLatin1String(texts[static_cast<size_t>(state)]);
    }
    return text + QStringLiteral(" STATUS: ?? ") + legacy::numberText(state) + QStringLiteral(" ??");
}

} // namespace zenthra
