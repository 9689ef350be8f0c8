// Prints the rows of base/usage.h and base/exit_codes.h for the launcher and
// the manual page, so that their texts come from the same tables as the
// program's:
//   qz_usage_text help      the launcher's --help lines, plain text
//   qz_usage_text options   the manual page's option list, roff
//   qz_usage_text keys      the manual page's key list, roff
//   qz_usage_text exits     the manual page's exit status list, roff
#include "base/syserror.h"
#include "base/usage.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

struct Row {
  const char* name;  // option, key, or exit code as text
  const char* text;  // what it does or means
};

#define QZ_USAGE_ROW(option, effect) {option, effect},
constexpr Row OptionRows[] = {QZ_OPTIONS(QZ_USAGE_ROW)};
constexpr Row KeyRows[] = {QZ_KEYS(QZ_USAGE_ROW)};
#undef QZ_USAGE_ROW

constexpr int HelpColumn = 8;       // where the effect starts in --help
constexpr size_t MaxExitCodes = 32;  // more than base/exit_codes.h holds

// Text for roff: backslashes escaped, hyphens of option names as minus
// signs, *word* in bold, and a line that would begin with a control
// character made plain text.
void PutRoff(const char* text, bool minus) {
  if (*text == '.' || *text == '\'') {
    std::fputs("\\&", stdout);
  }
  bool bold = false;
  for (const char* c = text; *c != '\0'; c++) {
    if (*c == '\\') {
      std::fputs("\\e", stdout);
    } else if (*c == '-' && minus) {
      std::fputs("\\-", stdout);
    } else if (*c == '*') {
      std::fputs(bold ? "\\fR" : "\\fB", stdout);
      bold = !bold;
    } else {
      std::putchar(*c);
    }
  }
}

// One tagged paragraph per row: the name in bold (or `none` in italics for
// an empty one), then its text as a sentence.
void PrintRoffList(const Row* rows, size_t count, bool boldNames) {
  for (size_t i = 0; i < count; i++) {
    std::puts(".TP");
    if (rows[i].name[0] == '\0') {
      std::puts(".I none");
    } else {
      std::fputs(boldNames ? ".B " : "", stdout);
      PutRoff(rows[i].name, true);
      std::putchar('\n');
    }
    PutRoff(rows[i].text, false);
    std::puts(".");
  }
}

// The --help lines: "  /w      a window showing the 320x240 picture times the desktop's whole scale factor".
void PrintHelp() {
  for (const Row& row : OptionRows) {
    const char* name = row.name[0] == '\0' ? "(none)" : row.name;
    std::printf("  %-*s%s\n", HelpColumn, name, row.text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* what = argc == 2 ? argv[1] : "";
  if (std::strcmp(what, "help") == 0) {
    PrintHelp();
  } else if (std::strcmp(what, "options") == 0) {
    PrintRoffList(OptionRows, std::size(OptionRows), true);
  } else if (std::strcmp(what, "keys") == 0) {
    PrintRoffList(KeyRows, std::size(KeyRows), false);
  } else if (std::strcmp(what, "exits") == 0) {
    Row rows[MaxExitCodes];
    char names[MaxExitCodes][12];
    size_t count = 0;
    for (; count < MaxExitCodes && ExitCodeMeaning(static_cast<uint32_t>(count)) != nullptr; count++) {
      std::snprintf(names[count], sizeof names[count], "%zu", count);
      rows[count] = {names[count], ExitCodeMeaning(static_cast<uint32_t>(count))};
    }
    PrintRoffList(rows, count, true);
  } else {
    std::fputs("usage: qz_usage_text help|options|keys|exits\n", stderr);
    return 2;
  }
  return 0;
}
