// The tick event of the backends that run their ticks themselves.
#include "platform/common/tick_event.h"

namespace {

// The running event. One thread only: the backend's, which runs the ticks
// at its waits.
PlatTimerCallback TickCallback = nullptr;  // null while no event runs
uint64_t TickUnits = 0;                    // one interval, in clock units
uint64_t NextTick = 0;                     // when the next tick falls due

}  // namespace

void CommonRunDueTicks(uint64_t until, uint32_t limit, CommonTickReach reach) {
  for (uint32_t ran = 0; TickCallback != nullptr && NextTick <= until && ran < limit; ran++) {
    uint64_t due = NextTick;
    NextTick += TickUnits;
    if (reach != nullptr) {
      reach(due);
    }
    TickCallback(CommonTickEventId, 0, 0, 0, 0);
  }
}

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (interval == 0 || callback == nullptr || TickCallback != nullptr) {
    return 0;
  }
  TickUnits = uint64_t{interval} * CommonTickUnitsPerMillisecond();
  NextTick = CommonTickClock() + TickUnits;
  TickCallback = callback;
  return CommonTickEventId;
}

bool PlatTimerKillEvent(uint32_t eventId) {
  if (eventId != CommonTickEventId || TickCallback == nullptr) {
    return false;
  }
  TickCallback = nullptr;
  return true;
}
