// Process services on Linux. The process exit is shared
// (common/process.cpp).
#include "platform/plat_system.h"

#include "platform/common/clock.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The command line as one text, read once from /proc; longer lines are cut.
constexpr uint32_t CommandLineRoom = 32768;
char CommandLineText[CommandLineRoom];
bool CommandLineRead = false;

}  // namespace

const char* PlatCommandLine() {
  if (CommandLineRead) {
    return CommandLineText;
  }
  CommandLineRead = true;
  int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return CommandLineText;
  }
  uint32_t used = 0;
  while (used < CommandLineRoom - 1) {
    ssize_t got = read(fd, CommandLineText + used, CommandLineRoom - 1 - used);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    used += static_cast<uint32_t>(got);
  }
  close(fd);
  // Arguments arrive separated by zero bytes, the last one closed by one.
  while (used > 0 && CommandLineText[used - 1] == '\0') {
    used--;
  }
  for (uint32_t i = 0; i < used; i++) {
    if (CommandLineText[i] == '\0') {
      CommandLineText[i] = ' ';
    }
  }
  CommandLineText[used] = '\0';
  return CommandLineText;
}

void PlatSleep(uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &left, &left) == EINTR) {
  }
}

uint64_t PlatClockNanoseconds() { return CommonMonotonicNanoseconds(); }
