// The one failure report every subsystem shares: SystemError, its codes, and
// the routines that set it and end the process with it.
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

// Ends the process with SystemError as its exit code.
[[noreturn]] void ExitWithSystemError();

// What an exit code means, from the table; null for a code the system never
// sets.
const char* ExitCodeMeaning(uint32_t code);
