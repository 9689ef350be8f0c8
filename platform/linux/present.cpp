// Present timing and placement for the Linux window layer (no SDL here).
#include "platform/linux/present.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

constexpr uint64_t NsPerSecond = 1000000000ULL;

}  // namespace

uint64_t LinuxRefreshPeriod(int32_t refreshHz) {
  uint64_t hz = static_cast<uint64_t>(refreshHz > 0 ? refreshHz : FallbackRefreshHz);
  return NsPerSecond / hz;
}

uint64_t LinuxPaceTarget(LinuxPacer* pacer, uint64_t now, uint64_t period) {
  bool resync = pacer->next == 0 || now >= pacer->next + period;
  uint64_t target = resync ? now : std::max(now, pacer->next);
  pacer->next = (resync ? now : pacer->next) + period;
  return target;
}

void LinuxSleepUntil(uint64_t when) {
  timespec until{static_cast<time_t>(when / NsPerSecond), static_cast<long>(when % NsPerSecond)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

LinuxPlacement LinuxPlacePicture(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight) {
  if (width <= 0 || height <= 0) {
    return LinuxPlacement{0, 0, 0, 0};
  }
  int32_t factor = std::max(1, std::min(outputWidth / width, outputHeight / height));
  LinuxPlacement p{0, 0, width * factor, height * factor};
  p.x = std::max(0, (outputWidth - p.width) / 2);
  p.y = std::max(0, (outputHeight - p.height) / 2);
  return p;
}
