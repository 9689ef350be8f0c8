// The tick event of the backends that run their ticks themselves.
#include "platform/common/tick_event.h"

bool CommonTickEventMayStart(uint32_t interval, PlatTimerCallback callback, PlatTimerCallback running) {
  return interval != 0 && callback != nullptr && running == nullptr;
}

bool CommonTickEventKill(uint32_t eventId, PlatTimerCallback* running) {
  if (eventId != CommonTickEventId || *running == nullptr) {
    return false;
  }
  *running = nullptr;
  return true;
}
