// What the Linux process services do without the operating system, apart so
// that tests can give them bytes of their own.
#pragma once
#include <cstdint>

// Turns the bytes of /proc/self/cmdline (each argument closed by a zero
// byte) into one command line in `line`: the first argument, the program's
// path, in quotation marks, then the others, joined by single spaces; empty
// arguments at the end dropped, at most `room` - 1 characters and a closing
// zero. Returns the number of characters before the zero.
uint32_t LinuxJoinCommandLine(const char* arguments, uint32_t length, char* line, uint32_t room);
