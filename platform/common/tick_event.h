// The one tick event of a backend that runs its ticks itself (virtual,
// web): at most one runs at a time. Each backend keeps the running event's
// routine and hands it in.
#pragma once
#include "platform/plat_timer.h"

#include <cstdint>

constexpr uint32_t CommonTickEventId = 1;

// Whether an event of `interval` ms calling `callback` may start while
// `running` is the routine of the event that runs (null for none).
bool CommonTickEventMayStart(uint32_t interval, PlatTimerCallback callback, PlatTimerCallback running);

// Ends the running event when `eventId` is its id; false when it is not.
bool CommonTickEventKill(uint32_t eventId, PlatTimerCallback* running);
