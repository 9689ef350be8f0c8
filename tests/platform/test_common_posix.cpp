// What platform/common gives the POSIX backends: the program file opened
// and read as plat_file.h promises (a seek before the start fails and
// leaves the position), and the wait on the monotonic clock.
#include "platform/common/clock.h"
#include "platform/common/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A file of the ten bytes "0123456789" in a directory of its own.
std::string TenByteFile() {
  char dir[] = "/tmp/qz_common_XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    return "";
  }
  std::string path = std::string(dir) + "/ten";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return "";
  }
  std::fputs("0123456789", f);
  std::fclose(f);
  return path;
}

}  // namespace

TEST(CommonFile, SeeksFromTheEndReadAndRefuseToGoBeforeTheStart) {
  std::string path = TenByteFile();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(CommonFileOpen(nullptr), PlatFileInvalid);
  EXPECT_EQ(PlatFileOpen((path + ".missing").c_str()), PlatFileInvalid);
  PlatFile file = PlatFileOpen(path.c_str());
  ASSERT_NE(file, PlatFileInvalid);

  char bytes[16] = {};
  EXPECT_EQ(PlatFileSeekFromEnd(file, -4), 6);
  EXPECT_EQ(PlatFileRead(file, bytes, 3), 3u);
  EXPECT_EQ(std::string(bytes, 3), "678");

  // Before the start: -1, and the next read goes on from where it was.
  EXPECT_EQ(PlatFileSeekFromEnd(file, -11), -1);
  EXPECT_EQ(PlatFileRead(file, bytes, 16), 1u) << "a read past the end gives what there is";
  EXPECT_EQ(bytes[0], '9');
  EXPECT_EQ(PlatFileRead(file, bytes, 16), 0u);

  EXPECT_EQ(PlatFileSeekFromEnd(file, -10), 0);
  EXPECT_EQ(PlatFileRead(file, bytes, 10), 10u);
  EXPECT_EQ(std::string(bytes, 10), "0123456789");
  EXPECT_EQ(PlatFileSeekFromEnd(file, 0), 10);
  PlatFileClose(file);
  PlatFileClose(PlatFileInvalid);   // closing nothing does nothing

  unlink(path.c_str());
  rmdir(path.substr(0, path.rfind('/')).c_str());
}

// The wait is on the same clock that CommonMonotonicNanoseconds reads.
TEST(CommonClock, SleepUntilReachesItsTime) {
  constexpr uint64_t Ms = 1000000;
  uint64_t when = CommonMonotonicNanoseconds() + 3 * Ms;
  CommonSleepUntil(when);
  EXPECT_GE(CommonMonotonicNanoseconds(), when);
}
