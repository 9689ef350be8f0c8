// The sound binding against real test libraries found through the system's
// library search. This program has no "fmod.dll" beside it; the test suite
// runs it once without any, and once for each of the fifteen entry points
// with LD_LIBRARY_PATH naming a library that lacks it (QZ_LACK: its slot).
#include "base/syserror.h"
#include "sound/sound.h"
#include "tests/sound/testlib_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int LackingIdentityBase = 100;  // the copy lacking slot n says 100 + n

enum { Close = 1, StopSong = 3, StopSound = 14 };

TEST(SystemSearch, NoLibraryAnywhereFailsWithSix) {
  if (std::getenv("QZ_LACK") != nullptr) {
    GTEST_SKIP() << "a library is on the search path";
  }
  TestLibView lib;
  EXPECT_FALSE(lib.Loaded());
  SystemError = ErrorNone;
  EXPECT_FALSE(SoundOpen(SoundTypeMpeg, 0));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_FALSE(SoundLoadMemory("x", 1));
  SoundClose();
  EXPECT_EQ(SystemError, ErrorSound);
}

TEST(SystemSearch, ALibraryLackingOneNameIsRefusedAndCloseCallsOnlyBoundEntries) {
  const char* lack = std::getenv("QZ_LACK");
  if (lack == nullptr) {
    GTEST_SKIP() << "needs QZ_LACK and LD_LIBRARY_PATH naming the lacking library";
  }
  int missing = static_cast<int>(std::strtol(lack, nullptr, 10));
  TestLibView lib;
  ASSERT_TRUE(lib.Loaded());
  ASSERT_EQ(lib.Identity(), LackingIdentityBase + missing);
  for (uint32_t tag : {SoundTypeMpeg, 0u}) {
    lib.Reset();
    SystemError = ErrorNone;
    EXPECT_FALSE(SoundOpen(tag, 0));
    EXPECT_EQ(SystemError, ErrorSound);
    EXPECT_TRUE(lib.Calls().empty()) << "nothing is initialised when a name is missing";
    SoundStop();
    SoundClose();
    std::vector<int> expected;
    if (tag != SoundTypeMpeg && missing > StopSong) {
      expected = {StopSong, StopSong};
    }
    if (missing > Close) {
      expected.push_back(Close);
    }
    EXPECT_EQ(lib.Slots(), expected) << "tag " << tag;
  }
}

}  // namespace
