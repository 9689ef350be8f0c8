// The exit-code table against the texts that repeat it for people: the
// README's table says each meaning exactly, and scripts/play's message for
// each code begins with it (the script may add a hint).
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

TEST(ExitCodes, PlayScriptExplainsEachFailureWithTheTableMeaning) {
  std::string play = ReadSource("scripts/play");
  ASSERT_NE(play.find("case \"$status\" in"), std::string::npos);
  for (const ExitCodeRow& row : Rows) {
    std::string said = Between(play, "\n    " + std::to_string(row.value) + ") meaning=\"", "\" ;;");
    if (row.value == ErrorNone) {
      EXPECT_EQ(said, "(none)") << "the script explains only failures";
      continue;
    }
    EXPECT_EQ(said.substr(0, std::string(row.meaning).size()), row.meaning) << row.name << ": " << said;
  }
  EXPECT_EQ(Between(play, "\n    " + std::to_string(std::size(Rows)) + ") meaning=\"", "\" ;;"), "(none)");
}

}  // namespace
