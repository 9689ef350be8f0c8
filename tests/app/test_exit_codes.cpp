// The exit-code table against the texts that repeat it for people: the
// README's table says each meaning exactly, scripts/play has no copy of
// them, and the Windows zip's README.txt, which the build writes, lists
// every code with its meaning.
#include "base/syserror.h"
#include "tests/common/source_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ExitCodeRow {
  const char* name;
  uint32_t value;
  const char* meaning;
};

#define QZ_EXIT_CODE_ROW(name, value, meaning) {#name, value, meaning},
constexpr ExitCodeRow Rows[] = {QZ_EXIT_CODES(QZ_EXIT_CODE_ROW)};
#undef QZ_EXIT_CODE_ROW

// A file the build wrote (under QZ_BINARY_DIR), byte for byte, or "".
std::string ReadBuilt(const char* path) {
  std::ifstream in(std::string(QZ_BINARY_DIR) + "/" + path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ExitCodes, TableNumbersTheCodesFromZeroWithAMeaningEach) {
  for (uint32_t i = 0; i < std::size(Rows); i++) {
    EXPECT_EQ(Rows[i].value, i) << Rows[i].name;
    EXPECT_STREQ(ExitCodeMeaning(i), Rows[i].meaning);
    EXPECT_GT(std::string(Rows[i].meaning).size(), 8u) << Rows[i].name;
  }
  EXPECT_EQ(ExitCodeMeaning(static_cast<uint32_t>(std::size(Rows))), nullptr);
}

TEST(ExitCodes, ReadmeTableSaysEachMeaning) {
  std::string readme = Between(ReadSource("README.md"), "## Exit codes\n", "\n## ");
  ASSERT_NE(readme, "(none)");
  for (const ExitCodeRow& row : Rows) {
    EXPECT_EQ(Between(readme, "\n| " + std::to_string(row.value) + " | ", " |\n"), row.meaning) << row.name;
  }
  EXPECT_EQ(Between(readme, "\n| " + std::to_string(std::size(Rows)) + " | ", " |\n"), "(none)");
}

// A copy of a meaning in scripts/play would go stale: it prints what
// qz_exit_meanings prints.
TEST(ExitCodes, PlayScriptTakesTheMeaningsFromTheTable) {
  std::string play = ReadSource("scripts/play");
  EXPECT_NE(play.find("$(build/bin/qz_exit_meanings)"), std::string::npos);
  for (const ExitCodeRow& row : Rows) {
    EXPECT_EQ(play.find(row.meaning), std::string::npos) << row.name << "'s meaning is typed in scripts/play";
  }
}

// README.txt is read in Notepad: Windows line ends, lines short enough for
// a window without wrapping, and after its last heading each code, then its
// meaning, which may run over several lines.
TEST(ExitCodes, WindowsReadmeListsEachCodeWithItsMeaning) {
  std::string readme = ReadBuilt("packaging/windows/README.txt");
  ASSERT_FALSE(readme.empty());
  std::string words;
  size_t lineStart = 0;
  for (size_t i = 0; i < readme.size(); i++) {
    char c = readme[i];
    if (c == '\n') {
      ASSERT_TRUE(i > 0 && readme[i - 1] == '\r') << "a line feed without a carriage return at byte " << i;
      EXPECT_LE(i - 1 - lineStart, 76u) << readme.substr(lineStart, i - 1 - lineStart);
      lineStart = i + 1;
    } else if (c == '\r') {
      ASSERT_TRUE(i + 1 < readme.size() && readme[i + 1] == '\n') << "a lone carriage return at byte " << i;
    }
    bool space = c == ' ' || c == '\r' || c == '\n';
    if (!space) {
      words += c;
    } else if (!words.empty() && words.back() != ' ') {
      words += ' ';
    }
  }
  EXPECT_EQ(lineStart, readme.size()) << "the last line has no line end";
  // The list runs to the end: each meaning ends where the next code begins.
  size_t list = words.rfind("EXIT CODES ");
  ASSERT_NE(list, std::string::npos);
  std::string codes = words.substr(list) + "|";
  for (const ExitCodeRow& row : Rows) {
    std::string end = row.value + 1 < std::size(Rows) ? " " + std::to_string(row.value + 1) + " " : " |";
    EXPECT_EQ(Between(codes, " " + std::to_string(row.value) + " ", end), row.meaning) << row.name;
  }
}

}  // namespace
