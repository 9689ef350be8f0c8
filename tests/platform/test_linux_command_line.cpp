// The command line as the Linux layer builds it from the argument bytes of
// /proc/self/cmdline.
#include "platform/linux/system.h"
#include "platform/plat_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Joins the bytes into a line of `room` bytes; the line, and the length the
// routine reported.
std::pair<std::string, uint32_t> Join(const std::string& bytes, uint32_t room = 64) {
  char line[64];
  std::memset(line, 'x', sizeof line);
  uint32_t length = LinuxJoinCommandLine(bytes.data(), static_cast<uint32_t>(bytes.size()), line, room);
  EXPECT_LT(length, room);
  EXPECT_EQ(line[length], '\0');
  return {std::string(line, std::strlen(line)), length};
}

std::string Line(const std::string& bytes, uint32_t room = 64) { return Join(bytes, room).first; }

TEST(LinuxCommandLine, ThePathIsQuotedAndTheArgumentsJoinedBySingleSpaces) {
  EXPECT_EQ(Line(std::string("./QZ_Quillwave2k.exe\0/w\0", 24)), "\"./QZ_Quillwave2k.exe\" /w");
  EXPECT_EQ(Line(std::string("prog\0", 5)), "\"prog\"");
  EXPECT_EQ(Line(std::string("prog", 4)), "\"prog\"");
  EXPECT_EQ(Join(std::string("a\0bc\0-16\0", 9)), std::make_pair(std::string("\"a\" bc -16"), 10u));
  // Only the path: an argument that holds a quotation mark stays as it is.
  EXPECT_EQ(Line(std::string("p\0\"/w\"\0", 7)), "\"p\" \"/w\"");
}

// The quotation marks have no meaning to the tokens: a space in the path
// still splits it, as on Windows.
TEST(LinuxCommandLine, ASpaceInTheQuotedPathStillSplitsIt) {
  EXPECT_EQ(Line(std::string("/home/a b/prog\0/w\0", 18)), "\"/home/a b/prog\" /w");
}

TEST(LinuxCommandLine, EmptyArgumentsKeepTheirSpacesExceptAtTheEnd) {
  // An empty argument in the middle leaves two spaces; FindToken skips them.
  EXPECT_EQ(Line(std::string("prog\0\0/w\0", 9)), "\"prog\"  /w");
  EXPECT_EQ(Line(std::string("prog\0/w\0\0\0", 10)), "\"prog\" /w");
  EXPECT_EQ(Line(std::string("\0prog\0", 6)), "\"\" prog");
}

TEST(LinuxCommandLine, NoBytesOrOnlyZerosGiveAnEmptyLine) {
  EXPECT_EQ(Join(std::string()), std::make_pair(std::string(), 0u));
  EXPECT_EQ(Join(std::string("\0\0\0", 3)), std::make_pair(std::string(), 0u));
}

TEST(LinuxCommandLine, ALineLongerThanTheRoomIsCut) {
  EXPECT_EQ(Join(std::string("prog\0/w\0", 8), 6), std::make_pair(std::string("\"prog"), 5u));
  EXPECT_EQ(Join(std::string("prog\0/w\0", 8), 7), std::make_pair(std::string("\"prog\""), 6u));
  EXPECT_EQ(Join(std::string("prog\0/w\0", 8), 8), std::make_pair(std::string("\"prog\" "), 7u));
  EXPECT_EQ(Join(std::string("prog\0/w\0", 8), 10), std::make_pair(std::string("\"prog\" /w"), 9u));
  EXPECT_EQ(Join(std::string("prog", 4), 1), std::make_pair(std::string(), 0u));
  EXPECT_EQ(Join(std::string("prog", 4), 2), std::make_pair(std::string("\""), 1u));
  // No room at all: nothing is written.
  char untouched = 'x';
  EXPECT_EQ(LinuxJoinCommandLine("prog", 4, &untouched, 0), 0u);
  EXPECT_EQ(untouched, 'x');
}

// The process's own line, read once from /proc: this test program's path
// first, and the same text on every call.
TEST(LinuxCommandLine, TheProcessLineStartsWithTheProgramAndStaysTheSame) {
  const char* line = PlatCommandLine();
  ASSERT_NE(line, nullptr);
  std::string text(line);
  EXPECT_EQ(text.front(), '"') << text;
  EXPECT_NE(text.find("test_linux_platform\""), std::string::npos) << text;
  EXPECT_NE(text.back(), ' ');
  EXPECT_EQ(PlatCommandLine(), line);
  EXPECT_EQ(std::string(PlatCommandLine()), text);
}

}  // namespace
