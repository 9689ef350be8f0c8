// Prints the launcher's case table: one shell case line per non-zero exit
// code of base/exit_codes.h, with its meaning.
#include "base/syserror.h"

#include <cstdio>

int main() {
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
  return 0;
}
