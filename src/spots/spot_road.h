#pragma once
// The spot road behind the DX-cluster link, assembled in one place: the line filter, the spot
// queue, the processor, the spot store (the call/locator look-ups and the two table writers) and
// the alarm sounds, joined as the program runs them. The program, the tests and the benchmarks
// each build one over their own services, so what they exercise is the road the program runs.
// The program's store works on a thread and a database layer of its own; a road built over a
// given layer keeps its store in the caller's thread.

#include "spots/alarm_sounds.h"
#include "spots/call_locator.h"
#include "spots/line_filter.h"
#include "spots/spot_processor.h"
#include "spots/spot_queue.h"
#include "spots/spot_store.h"
#include "spots/spot_writers.h"

#include <QDateTime>
#include <functional>

namespace zenthra {

class DataFolder;
class Database;
class ErrorLog;
class OptionsModel;
class PropKeywords;
class SoundPlayer;

// The services the road works with; they outlive it.
struct SpotRoadServices
{
    OptionsModel& options;
    ErrorLog& log;
    // The layer the store works over in the caller's thread; null: a thread and layer of its own.
    Database* database;
    const DataFolder& folder;
    const PropKeywords& keywords;
    // The DXC window's flag for an HF spot it is to leave out, set by the filter.
    qint16& hiddenHfSpot;
    SoundPlayer& player;
    // The UTC time a spot without its own time is queued at.
    std::function<QDateTime()> utcNow;
};

struct SpotRoad
{
    // The filter hands its spots to the queue; the rest of its sinks, and where the processor's
    // reports go, are the owner's to set. The processor writes the rows of each tick in one
    // transaction where the database allows.
    explicit SpotRoad(const SpotRoadServices& services);

    LineFilter filter;
    SpotQueue queue;
    SpotStore store;
    AlarmSounds sounds;
    SpotProcessor processor;
};

} // namespace zenthra
