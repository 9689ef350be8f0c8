// Process services and the virtual clock: the command line the program was
// given, pauses that move the clock instead of waiting, and the clock the
// tick event runs by: its ticks run on the caller's thread as the clock
// passes their due times. The tick event, the resolution calls and the
// process exit are shared (common/tick_event.h, common/timer_period.cpp,
// common/process.cpp).
#include "platform/plat_system.h"
#include "platform/common/tick_event.h"
#include "platform/virtual/virtual.h"

namespace {

constexpr uint64_t MillisecondsPerSecond = 1000;
constexpr uint64_t NanosecondsPerSecond = 1000000000;
constexpr uint32_t DefaultFrameRate = 60;

// The clock. One thread only: ticks run inside VirtualAdvance, on whatever
// thread moves the clock.
const char* CommandLine = "";              // what PlatCommandLine reports
uint32_t FrameRate = DefaultFrameRate;     // frames per second; units per ms
uint64_t Now = 0;                          // units since the process started

// A tick sees the clock at its own due time.
void ReachTick(uint64_t due) { Now = due; }

}  // namespace

void VirtualSetCommandLine(const char* text) { CommandLine = text != nullptr ? text : ""; }

void VirtualSetFrameRate(uint32_t framesPerSecond) {
  FrameRate = framesPerSecond > 0 ? framesPerSecond : DefaultFrameRate;
}

uint64_t VirtualNow() { return Now; }
uint32_t VirtualFrameRate() { return FrameRate; }

void VirtualAdvance(uint64_t units) {
  uint64_t target = Now + units;
  CommonRunDueTicks(target, UINT32_MAX, ReachTick);
  Now = target;
}

const char* PlatCommandLine() { return CommandLine; }

void PlatSleep(uint32_t milliseconds) { VirtualAdvance(uint64_t{milliseconds} * FrameRate); }

uint64_t PlatClockNanoseconds() {
  uint64_t unitsPerSecond = MillisecondsPerSecond * FrameRate;
  return Now / unitsPerSecond * NanosecondsPerSecond +
         Now % unitsPerSecond * NanosecondsPerSecond / unitsPerSecond;
}

uint64_t CommonTickClock() { return Now; }

uint64_t CommonTickUnitsPerMillisecond() { return FrameRate; }
