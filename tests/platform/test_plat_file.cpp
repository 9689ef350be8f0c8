// A backend's program-file reads as plat_file.h promises them: seeks from
// the end report the position from the start, a seek before the start
// fails and leaves the position, reads stop at the end. Built against the
// POSIX reads on Linux and against the Win32 ones for the Wine run.
#include "platform/plat_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A file of the ten bytes "0123456789", removed again at the end.
struct TenByteFile {
  std::filesystem::path path;
  TenByteFile() {
    path = std::filesystem::path(testing::TempDir()) / "qz_plat_file_ten";
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f != nullptr) {
      std::fputs("0123456789", f);
      std::fclose(f);
    }
  }
  ~TenByteFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

}  // namespace

TEST(PlatFile, SeeksFromTheEndReadAndRefuseToGoBeforeTheStart) {
  TenByteFile ten;
  std::string name = ten.path.string();
  EXPECT_EQ(PlatFileOpen((name + ".missing").c_str()), PlatFileInvalid);
  PlatFile file = PlatFileOpen(name.c_str());
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
}
