// The one failure report every subsystem shares: SystemError, its codes,
// the routine that sets it and what each code means. Ending the process
// with it is start-up's (ExitWithSystemError, app/startup.h).
#pragma once
#include "base/exit_codes.h"

#include <cstdint>

#define QZ_EXIT_CODE_CONSTANT(name, value, meaning) constexpr uint32_t name = value;
QZ_EXIT_CODES(QZ_EXIT_CODE_CONSTANT)
#undef QZ_EXIT_CODE_CONSTANT

// 0 at start, set by failing services, never cleared.
extern uint32_t SystemError;

// Stores `code` in SystemError and reports false, so a failing service can
// end with `return RecordSystemError(code);`.
bool RecordSystemError(uint32_t code);

// What an exit code means, from the table; null for a code the system never
// sets.
const char* ExitCodeMeaning(uint32_t code);
