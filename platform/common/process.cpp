// Ending the process, for every backend with a C library underneath.
#include "platform/plat_system.h"

#include <cstdio>
#include <cstdlib>

void PlatExitProcess(uint32_t code) {
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(code));
}
