#include "spots/spot_road.h"

namespace zenthra {

SpotRoad::SpotRoad(const SpotRoadServices& s)
    : filter(s.options, s.log, s.hiddenHfSpot), queue(s.options, s.log, s.utcNow),
      store(s.database, s.folder, s.log, queue.blnDbBusy), sounds(s.options, s.folder, s.player, s.log),
      processor(queue, store, sounds, s.options, s.keywords, s.log)
{
    filter.sinks().queueSpot = [this](QueuedSpot& spot) { queue.QUEUE_DXC_SPOT(spot); };
    writeEachTickInOneTransaction(processor, store);
}

} // namespace zenthra
