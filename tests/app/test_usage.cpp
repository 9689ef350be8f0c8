// The option and key tables against what the program does and what the
// README says: each option selects the display request its text names, and
// the README's tables hold exactly the rows, *marks* as bold.
#include "app/cmdline.h"
#include "base/usage.h"
#include "tests/common/source_text.h"
#include "tests/fake/fake_platform.h"
#include "video/video.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

struct UsageRow {
  const char* name;
  const char* text;
};

#define QZ_USAGE_ROW(name, text) {name, text},
constexpr UsageRow OptionRows[] = {QZ_OPTIONS(QZ_USAGE_ROW)};
constexpr UsageRow KeyRows[] = {QZ_KEYS(QZ_USAGE_ROW)};
#undef QZ_USAGE_ROW

// A row's text as the README writes it: *word* as **word**.
std::string Markdown(const char* text) {
  std::string out;
  for (const char* c = text; *c != '\0'; c++) {
    out += *c == '*' ? "**" : std::string(1, *c);
  }
  return out;
}

// The body rows of a Markdown section's tables (not headers or rules).
int TableRows(const std::string& section) {
  int rows = 0;
  size_t at = 0;
  while ((at = section.find("\n| ", at)) != std::string::npos) {
    at += 3;
    std::string line = section.substr(at, section.find('\n', at) - at);
    bool header = line.rfind("Option |", 0) == 0 || line.rfind("Key or action |", 0) == 0;
    rows += header ? 0 : 1;
  }
  return rows;
}

TEST(Usage, EachOptionSelectsTheRequestItsTextNames) {
  for (const UsageRow& row : OptionRows) {
    FakeReset();
    FakeSetCommandLine((std::string("prog ") + row.name).c_str());
    int32_t mode = ChooseDisplayRequest().modeRequest;
    std::string text = row.text;
    if (row.name[0] == '\0') {
      EXPECT_EQ(mode, ModeAutomatic) << text;
      EXPECT_NE(text.find("automatically"), std::string::npos) << text;
    } else if (mode == ModeWindow) {
      EXPECT_NE(text.find("window"), std::string::npos) << row.name << ": " << text;
    } else {
      ASSERT_GT(mode, 0) << row.name << " selects no depth";
      EXPECT_NE(text.find("full screen at " + std::to_string(mode) + " bits"), std::string::npos)
          << row.name << " selects " << mode << " bits: " << text;
    }
  }
}

TEST(Usage, ReadmeTablesHoldExactlyTheRows) {
  std::string readme = Between(ReadSource("README.md"), "## Options and keys\n", "\n## ");
  ASSERT_NE(readme, "(none)");
  for (const UsageRow& row : OptionRows) {
    std::string name = row.name[0] == '\0' ? "none" : "`" + std::string(row.name) + "`";
    EXPECT_NE(readme.find("\n| " + name + " | " + row.text + " |\n"), std::string::npos) << name;
  }
  for (const UsageRow& row : KeyRows) {
    std::string line = "\n| " + Markdown(row.name) + " | " + Markdown(row.text) + " |\n";
    EXPECT_NE(readme.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(TableRows(readme), static_cast<int>(std::size(OptionRows) + std::size(KeyRows)))
      << "the README has rows the tables do not";
}

}  // namespace
