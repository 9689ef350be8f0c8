// Process services on Linux. The process exit is shared
// (common/process.cpp).
#include "platform/plat_system.h"

#include "platform/common/clock.h"
#include "platform/linux/system.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The command line as one text, read once from /proc; longer lines are cut.
constexpr uint32_t CommandLineRoom = 32768;
constexpr uint64_t NanosecondsPerMillisecond = 1000000;
char CommandLineBytes[CommandLineRoom];   // as /proc gives it
char CommandLineText[CommandLineRoom];    // joined, what PlatCommandLine returns
bool CommandLineRead = false;

}  // namespace

uint32_t LinuxJoinCommandLine(const char* arguments, uint32_t length, char* line, uint32_t room) {
  if (room == 0) {
    return 0;
  }
  // Arguments arrive separated by zero bytes, the last one closed by one.
  while (length > 0 && arguments[length - 1] == '\0') {
    length--;
  }
  // The program's path comes quoted, as Windows gives it, so that a path
  // such as /wtest/... is never taken for an option.
  uint32_t used = 0;
  bool inPath = length > 0;
  if (inPath && used < room - 1) {
    line[used++] = '"';
  }
  for (uint32_t i = 0; i < length && used < room - 1; i++) {
    if (arguments[i] != '\0') {
      line[used++] = arguments[i];
      continue;
    }
    if (inPath) {
      inPath = false;
      line[used++] = '"';
      if (used == room - 1) {
        break;
      }
    }
    line[used++] = ' ';
  }
  if (inPath && used < room - 1) {
    line[used++] = '"';
  }
  line[used] = '\0';
  return used;
}

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
    ssize_t got = read(fd, CommandLineBytes + used, CommandLineRoom - 1 - used);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    used += static_cast<uint32_t>(got);
  }
  close(fd);
  LinuxJoinCommandLine(CommandLineBytes, used, CommandLineText, CommandLineRoom);
  return CommandLineText;
}

void PlatSleep(uint32_t milliseconds) {
  CommonSleepUntil(CommonMonotonicNanoseconds() + uint64_t{milliseconds} * NanosecondsPerMillisecond);
}

uint64_t PlatClockNanoseconds() { return CommonMonotonicNanoseconds(); }
