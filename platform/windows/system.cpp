// Process services on Windows: the kernel's own calls.
#include "platform/plat_system.h"

#include <windows.h>

namespace {

// The performance counter's rate, read once; 0 until then.
LARGE_INTEGER CounterFrequency = {};

}  // namespace

const char* PlatCommandLine() {
  const char* line = GetCommandLineA();
  return line != nullptr ? line : "";
}

void PlatSleep(uint32_t milliseconds) { Sleep(milliseconds); }

void PlatExitProcess(uint32_t code) {
  ExitProcess(code);
}

// The scroller's flicker seed: the performance counter, in nanoseconds.
uint64_t PlatClockNanoseconds() {
  if (CounterFrequency.QuadPart == 0) {
    QueryPerformanceFrequency(&CounterFrequency);
  }
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
  uint64_t rate = static_cast<uint64_t>(CounterFrequency.QuadPart);
  if (rate == 0) {
    return 0;
  }
  // Whole seconds and the rest apart, so the product cannot overflow.
  return ticks / rate * 1000000000ULL + ticks % rate * 1000000000ULL / rate;
}
