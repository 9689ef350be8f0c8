// The command line's tokens, options and display requests; the exit code.
#include "app/cmdline.h"
#include "app/startup.h"
#include "base/names.h"
#include "base/syserror.h"
#include "tests/fake/fake_platform.h"
#include "timing/pause.h"
#include "video/video.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

DisplayRequest RequestFor(const char* commandLine) {
  FakeReset();
  FakeSetCommandLine(commandLine);
  return ChooseDisplayRequest();
}

void ExpectRequest(const char* commandLine, uint32_t width, uint32_t height, int32_t mode) {
  DisplayRequest r = RequestFor(commandLine);
  EXPECT_EQ(r.width, width) << commandLine;
  EXPECT_EQ(r.height, height) << commandLine;
  EXPECT_EQ(r.modeRequest, mode) << commandLine;
}

std::string Token(uint32_t n) {
  const char* start = FindToken(n).start;
  if (start == nullptr) {
    return "<none>";
  }
  return std::string(start, std::strcspn(start, " "));
}

TEST(FindToken, CountsSpaceSeparatedTokensOnly) {
  FakeReset();
  FakeSetCommandLine("  prog.exe   /w\t/16 \"a b\"  ");
  EXPECT_EQ(FindToken(0).count, 4u);
  EXPECT_EQ(FindToken(0).start, nullptr);
  EXPECT_EQ(Token(1), "prog.exe");
  EXPECT_EQ(Token(2), "/w\t/16");
  EXPECT_EQ(Token(3), "\"a");
  EXPECT_EQ(Token(4), "b\"");
  EXPECT_EQ(FindToken(5).start, nullptr);
  EXPECT_EQ(FindToken(5).count, 4u);

  FakeSetCommandLine("");
  EXPECT_EQ(FindToken(0).count, 0u);
  EXPECT_EQ(FindToken(1).start, nullptr);
  FakeSetCommandLine("    ");
  EXPECT_EQ(FindToken(0).count, 0u);
}

TEST(HasOption, MatchesTokenPrefixesWithDashForSlash) {
  FakeReset();
  FakeSetCommandLine("prog -w16 /1 x-y");
  EXPECT_TRUE(HasOption("/w"));
  EXPECT_TRUE(HasOption("/w16"));
  EXPECT_FALSE(HasOption("/W"));
  EXPECT_FALSE(HasOption("/16"));   // only the first part of the option
  EXPECT_TRUE(HasOption("/1"));
  EXPECT_TRUE(HasOption("x/y"));    // a dash anywhere counts as a slash
  EXPECT_FALSE(HasOption("/15"));
  FakeSetCommandLine("");
  EXPECT_FALSE(HasOption("/w"));
}

TEST(ChooseDisplayRequest, FollowsTheOptionTableAndItsPriority) {
  ExpectRequest("prog", 320, 240, ModeAutomatic);
  ExpectRequest("", 320, 240, ModeAutomatic);
  ExpectRequest("prog /w", 320, 256, ModeWindow);
  ExpectRequest("prog /16 /w", 320, 256, ModeWindow);
  ExpectRequest("prog /w /16", 320, 256, ModeWindow);
  ExpectRequest("prog /24 /15", 320, 240, 15);
  ExpectRequest("prog /15 /24", 320, 240, 15);
  ExpectRequest("prog /24", 320, 240, 24);
  ExpectRequest("prog /15", 320, 240, 15);
  ExpectRequest("prog /16 /15", 320, 240, 16);
  ExpectRequest("prog -w", 320, 256, ModeWindow);
  ExpectRequest("prog -16", 320, 240, 16);
  ExpectRequest("prog -15", 320, 240, 15);
  ExpectRequest("prog -24", 320, 240, 24);
  ExpectRequest("prog /window", 320, 256, ModeWindow);
  ExpectRequest("prog /240", 320, 240, 24);
  ExpectRequest("prog /W", 320, 240, ModeAutomatic);
  ExpectRequest("prog /2", 320, 240, ModeAutomatic);
  ExpectRequest("prog w", 320, 240, ModeAutomatic);
  ExpectRequest("prog /w/16", 320, 256, ModeWindow);
  ExpectRequest("prog /16\t/w", 320, 240, 16);   // a tab joins one token
  ExpectRequest("prog /24\t/w", 320, 240, 24);
  // A program path with a space: its pieces are tokens like any other.
  ExpectRequest("/home/me/my -window stuff/QZ_Quillwave2k.exe", 320, 256, ModeWindow);
  ExpectRequest("/opt/x /15fps/QZ_Quillwave2k.exe /24", 320, 240, 15);
}

TEST(SystemError, RecordsTheLastCodeAndExitsWithIt) {
  FakeReset();
  SystemError = ErrorNone;
  try {
    ExitWithSystemError();
    FAIL() << "ExitWithSystemError returned";
  } catch (const FakeExit& exit) {
    EXPECT_EQ(exit.code, 0u);
  }
  EXPECT_FALSE(RecordSystemError(ErrorSound));
  EXPECT_FALSE(RecordSystemError(ErrorDisplayMode));
  EXPECT_EQ(SystemError, ErrorDisplayMode);
  try {
    ExitWithSystemError();
    FAIL() << "ExitWithSystemError returned";
  } catch (const FakeExit& exit) {
    EXPECT_EQ(exit.code, ErrorDisplayMode);
  }
  SystemError = ErrorNone;
}

TEST(SystemServices, IdAndPause) {
  FakeReset();
  SystemId id = GetSystemId();
  EXPECT_EQ(id.platform, 0x57494E58u);
  EXPECT_EQ(id.version, 0x1080Eu);
  Pause(3000);
  Pause(0);
  EXPECT_EQ(FakeSleptMilliseconds(), 3000u);
  EXPECT_EQ(FakeCount("Sleep"), 2u);
}

}  // namespace
