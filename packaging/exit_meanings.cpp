// Prints the exit codes of base/exit_codes.h with their meanings, for the
// texts that tell a viewer what a code means:
//   qz_exit_meanings         the launcher's shell case lines, one per
//                            non-zero code
//   qz_exit_meanings --text  a plain-text list for a README, every code with
//                            its meaning, wrapped to fit a narrow window
#include "base/syserror.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t TextWidth = 72;
constexpr char TextIndent[] = "      ";  // where a meaning starts, after "  NN  "

void PrintCaseLines() {
  for (uint32_t code = 1; ExitCodeMeaning(code) != nullptr; code++) {
    std::printf("    %u) meaning=\"", code);
    for (const char* c = ExitCodeMeaning(code); *c != '\0'; c++) {
      if (*c == '"' || *c == '\\' || *c == '$' || *c == '`') {
        std::putchar('\\');
      }
      std::putchar(*c);
    }
    std::printf("\" ;;\n");
  }
}

// Word by word: a line breaks before the word that would pass TextWidth, and
// each continuation starts at the meaning's column.
void PrintText() {
  constexpr size_t Indent = sizeof TextIndent - 1;
  for (uint32_t code = 0; ExitCodeMeaning(code) != nullptr; code++) {
    std::printf("  %-2u  ", code);
    size_t column = Indent;
    const char* word = ExitCodeMeaning(code);
    while (*word != '\0') {
      size_t length = std::strcspn(word, " ");
      if (column > Indent && column + 1 + length > TextWidth) {
        std::printf("\n%s", TextIndent);
        column = Indent;
      } else if (column > Indent) {
        std::putchar(' ');
        column++;
      }
      std::fwrite(word, 1, length, stdout);
      column += length;
      word += length;
      word += std::strspn(word, " ");
    }
    std::putchar('\n');
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--text") == 0) {
    PrintText();
  } else if (argc == 1) {
    PrintCaseLines();
  } else {
    std::fprintf(stderr, "usage: qz_exit_meanings [--text]\n");
    return 2;
  }
  return 0;
}
