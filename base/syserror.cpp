// The failure report and the meanings of its codes.
#include "base/syserror.h"

uint32_t SystemError = ErrorNone;

bool RecordSystemError(uint32_t code) {
  SystemError = code;
  return false;
}

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
