#pragma once
// What the spot road is fed in tests that are about storing rather than reading spots: a spot
// as the line filter queues it for a station at IO91WM, and a player that plays nothing.

#include "platform/sound_player.h"
#include "spots/spot_queue.h"

#include <QString>

namespace zenthra::test {

class SilentPlayer : public SoundPlayer
{
public:
    bool play(const QString&) override { return true; }
};

// The cluster `line` queued with the station's heights (110 and 150) and both database flags set.
inline QueuedSpot stationSpot(const QString& line)
{
    return QueuedSpot{line, {}, QStringLiteral("IO91WM"), 110, 150, true, true, {}, {}};
}

} // namespace zenthra::test
