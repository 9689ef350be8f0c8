// The one tick event of a backend that runs its ticks itself (virtual,
// web): PlatTimerSetEvent and PlatTimerKillEvent are defined here, at most
// one event runs at a time, and the backend runs the ticks that its clock
// says are due at the points where it has control (a present, a pause).
#pragma once
#include "platform/plat_timer.h"

#include <cstdint>

constexpr uint32_t CommonTickEventId = 1;

// Hooks the backend defines: its clock, in units of its own choosing, and
// how many of those units make one millisecond (read at each event start).
uint64_t CommonTickClock();
uint64_t CommonTickUnitsPerMillisecond();

// Called before each tick with the time it fell due, so that a backend
// whose clock is its own moves it there first; null when the clock runs by
// itself.
using CommonTickReach = void (*)(uint64_t due);

// Runs, in order, every tick due by `until` (on the backend's clock), at
// most `limit` of them; the rest stay due for the next call. A routine run
// by a tick may kill the event; the run then stops.
void CommonRunDueTicks(uint64_t until, uint32_t limit, CommonTickReach reach);
