// Measures the tick timer on this machine: runs it as start-up does, counts
// the ticks a period-1 slot sees over a stretch of the monotonic clock, and
// reports the rate error and the largest gap between two ticks.
// Usage: qz_tickrate [seconds]   (60 when not given)
#include "base/syserror.h"
#include "platform/plat_system.h"
#include "timing/ticktimer.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<uint64_t> Ticks{0};
std::atomic<uint64_t> LastTickNs{0};
std::atomic<uint64_t> LargestGapNs{0};

void CountTick() {
  uint64_t now = PlatClockNanoseconds();
  uint64_t last = LastTickNs.exchange(now);
  if (last != 0 && now - last > LargestGapNs.load()) {
    LargestGapNs.store(now - last);
  }
  Ticks.fetch_add(1);
}

}  // namespace

int main(int argc, char** argv) {
  long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 60;
  if (seconds <= 0 || seconds > 3600) {
    std::fprintf(stderr, "usage: qz_tickrate [seconds, 1..3600]\n");
    return 2;
  }
  if (!StartTickTimer(TickResolution, TickInterval)) {
    std::fprintf(stderr, "%s\n", ExitCodeMeaning(ErrorTickTimer));
    return 1;
  }
  ArmTimerSlot(0, 1, CountTick);
  while (Ticks.load() == 0) {
    PlatSleep(1);
  }
  // Counted from the first tick on, so the start-up latency is left out.
  uint64_t startTicks = Ticks.load();
  uint64_t startNs = LastTickNs.load();
  LargestGapNs.store(0);
  PlatSleep(static_cast<uint32_t>(seconds * 1000));
  uint64_t endTicks = Ticks.load();
  uint64_t endNs = LastTickNs.load();
  DisarmTimerSlot(0);
  StopTickTimer();

  double elapsedMs = static_cast<double>(endNs - startNs) / 1e6;
  double counted = static_cast<double>(endTicks - startTicks);
  double errorPpm = (counted - elapsedMs) / elapsedMs * 1e6;
  std::printf("ticks %.0f over %.3f ms of the monotonic clock\n", counted, elapsedMs);
  std::printf("rate error %+.1f ppm (%+.4f %%)\n", errorPpm, errorPpm / 1e4);
  std::printf("largest gap between two ticks %.3f ms\n",
              static_cast<double>(LargestGapNs.load()) / 1e6);
  return 0;
}
