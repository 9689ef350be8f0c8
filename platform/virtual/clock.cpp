// Process services and the periodic tick on the virtual clock: the command
// line the program was given, pauses that move the clock instead of
// waiting, and a tick event that runs on the caller's thread as the clock
// passes its due times. The resolution calls and the process exit are
// shared (common/timer_period.cpp, common/process.cpp).
#include "platform/plat_system.h"
#include "platform/plat_timer.h"
#include "platform/common/tick_event.h"
#include "platform/virtual/virtual.h"

namespace {

constexpr uint64_t MillisecondsPerSecond = 1000;
constexpr uint64_t NanosecondsPerSecond = 1000000000;
constexpr uint32_t DefaultFrameRate = 60;

// The clock and the tick event. One thread only: ticks run inside
// VirtualAdvance, on whatever thread moves the clock.
const char* CommandLine = "";              // what PlatCommandLine reports
uint32_t FrameRate = DefaultFrameRate;     // frames per second; units per ms
uint64_t Now = 0;                          // units since the process started
PlatTimerCallback TickCallback = nullptr;  // null while no event runs
uint64_t TickUnits = 0;                    // one interval, in units
uint64_t NextTick = 0;                     // when the next tick falls due

}  // namespace

void VirtualSetCommandLine(const char* text) { CommandLine = text != nullptr ? text : ""; }

void VirtualSetFrameRate(uint32_t framesPerSecond) {
  FrameRate = framesPerSecond > 0 ? framesPerSecond : DefaultFrameRate;
}

uint64_t VirtualNow() { return Now; }
uint32_t VirtualFrameRate() { return FrameRate; }

void VirtualAdvance(uint64_t units) {
  uint64_t target = Now + units;
  // A routine run by a tick may kill the event; the loop then stops.
  while (TickCallback != nullptr && NextTick <= target) {
    Now = NextTick;
    NextTick += TickUnits;
    TickCallback(CommonTickEventId, 0, 0, 0, 0);
  }
  Now = target;
}

const char* PlatCommandLine() { return CommandLine; }

void PlatSleep(uint32_t milliseconds) { VirtualAdvance(uint64_t{milliseconds} * FrameRate); }

uint64_t PlatClockNanoseconds() {
  uint64_t unitsPerSecond = MillisecondsPerSecond * FrameRate;
  return Now / unitsPerSecond * NanosecondsPerSecond +
         Now % unitsPerSecond * NanosecondsPerSecond / unitsPerSecond;
}

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (!CommonTickEventMayStart(interval, callback, TickCallback)) {
    return 0;
  }
  TickUnits = uint64_t{interval} * FrameRate;
  NextTick = Now + TickUnits;
  TickCallback = callback;
  return CommonTickEventId;
}

bool PlatTimerKillEvent(uint32_t eventId) { return CommonTickEventKill(eventId, &TickCallback); }
