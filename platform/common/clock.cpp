// The POSIX monotonic clock.
#include "platform/common/clock.h"

#include <ctime>

uint64_t CommonMonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec);
}
