// The timer's resolutions, shared by the backends that keep 1 ms ticks
// whatever resolution is requested (the Linux timer thread, the virtual
// clock), so any value in range is granted.
#include "platform/plat_timer.h"

namespace {

// Resolutions accepted, in milliseconds.
constexpr uint32_t PeriodMin = 1;
constexpr uint32_t PeriodMax = 1000000;

}  // namespace

bool PlatTimerCaps(uint32_t* periodMin, uint32_t* periodMax) {
  *periodMin = PeriodMin;
  *periodMax = PeriodMax;
  return true;
}

bool PlatTimerBeginPeriod(uint32_t resolution) {
  return resolution >= PeriodMin && resolution <= PeriodMax;
}

void PlatTimerEndPeriod(uint32_t resolution) {}
