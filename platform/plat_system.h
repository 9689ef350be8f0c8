// Process services: the command line, sleeping, ending the process, the clock.
#pragma once
#include <cstdint>

// Called by FindToken.
// Returns the process's command line as one zero-terminated text: the
// program's own path in quotation marks, as Windows gives it, then its
// arguments, joined by single spaces (so a path holding a space still
// yields two tokens). Never null.
const char* PlatCommandLine();

// Called by Pause (scene routines) and by the tick timer's thread.
// Suspends the calling thread for the given number of milliseconds.
void PlatSleep(uint32_t milliseconds);

// Called by start-up's ExitWithSystemError, last thing on the shutdown path.
// Ends the process with the code as its exit status. Does not return.
[[noreturn]] void PlatExitProcess(uint32_t code);

// Called by the scroller scene to seed its flicker, once per start.
// Monotonic time in nanoseconds from an arbitrary origin.
uint64_t PlatClockNanoseconds();
