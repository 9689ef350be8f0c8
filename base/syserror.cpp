// The failure report and the process exit.
#include "base/syserror.h"

#include "platform/plat_system.h"

uint32_t SystemError = ErrorNone;

bool RecordSystemError(uint32_t code) {
  SystemError = code;
  return false;
}

void ExitWithSystemError() { PlatExitProcess(SystemError); }

const char* ExitCodeMeaning(uint32_t code) {
  switch (code) {
#define QZ_EXIT_CODE_MEANING(name, value, meaning) \
  case value:                                      \
    return meaning;
    QZ_EXIT_CODES(QZ_EXIT_CODE_MEANING)
#undef QZ_EXIT_CODE_MEANING
    default:
      return nullptr;
  }
}
