// The POSIX monotonic clock.
#include "platform/common/clock.h"

#include <cerrno>
#include <ctime>

namespace {

constexpr uint64_t NanosecondsPerSecond = 1000000000ULL;

}  // namespace

uint64_t CommonMonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * NanosecondsPerSecond + static_cast<uint64_t>(now.tv_nsec);
}

void CommonSleepUntil(uint64_t when) {
  timespec until{static_cast<time_t>(when / NanosecondsPerSecond), static_cast<long>(when % NanosecondsPerSecond)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}
