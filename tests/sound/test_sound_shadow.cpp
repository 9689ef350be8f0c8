// The library beside the program comes before the system's search: the test
// suite runs this program, which has the full test library beside it, with
// LD_LIBRARY_PATH naming a directory whose "fmod.dll" lacks FSOUND_Init.
#include "base/syserror.h"
#include "sound/sound.h"
#include "tests/sound/testlib_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int FullLibraryIdentity = 1;

TEST(Loader, ProgramDirectoryComesBeforeTheSearchPath) {
  const char* path = std::getenv("LD_LIBRARY_PATH");
  ASSERT_NE(path, nullptr) << "run by the test suite with a second fmod.dll on the search path";
  ASSERT_NE(std::string(path).find("lack0"), std::string::npos) << path;
  TestLibView lib;
  ASSERT_TRUE(lib.Loaded());
  EXPECT_EQ(lib.Identity(), FullLibraryIdentity);
  lib.Reset();
  SystemError = ErrorNone;
  EXPECT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  EXPECT_EQ(SystemError, ErrorNone);
  SoundClose();
}

}  // namespace
