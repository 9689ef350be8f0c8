// What platform/common gives the POSIX backends beside the file reads
// (test_plat_file.cpp): the open by path and the wait on the monotonic clock.
#include "platform/common/clock.h"
#include "platform/common/file.h"

#include <gtest/gtest.h>

TEST(CommonFile, NoPathOpensNothing) {
  EXPECT_EQ(CommonFileOpen(nullptr), PlatFileInvalid);
  EXPECT_EQ(CommonFileOpen("/nonexistent/qz/program.exe"), PlatFileInvalid);
}

// The wait is on the same clock that CommonMonotonicNanoseconds reads.
TEST(CommonClock, SleepUntilReachesItsTime) {
  constexpr uint64_t Ms = 1000000;
  uint64_t when = CommonMonotonicNanoseconds() + 3 * Ms;
  CommonSleepUntil(when);
  EXPECT_GE(CommonMonotonicNanoseconds(), when);
}
