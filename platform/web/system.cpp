// Process services and the clock on the page: the command line from the
// page's address, pauses that hand the page control, an exit that hands the
// code and its meaning to the page, and the clock the 1 ms ticks run by on
// the main thread. The tick event and the resolution calls are the shared
// ones (common/tick_event.h, common/timer_period.cpp). Long work between
// waits (the content's decode at start) hands the page control between
// file reads every few milliseconds, so that the page never stalls for long.
#include "platform/plat_system.h"
#include "platform/common/file.h"
#include "platform/common/tick_event.h"
#include "base/syserror.h"
#include "platform/web/web.h"

namespace {

constexpr int CommandLineRoom = 1024;
// Ticks run in one go at most; more than this fell due only while the page
// was hidden, and the rest simply run at the next wait.
constexpr uint32_t TickBurstLimit = 600000;
// The tick clock counts microseconds of the page's clock.
constexpr double TickUnitsPerMillisecond = 1000;
// Milliseconds of work after which a file read hands the page control.
constexpr double WorkSliceMilliseconds = 8;

// The command line. Main thread only, as everything here.
char CommandLine[CommandLineRoom];        // filled once from the page
bool CommandLineRead = false;
double SliceStartedAt = 0;               // page clock when the program last got control back

}  // namespace

double WebNowMilliseconds() { return qz_web_now(); }

uint64_t CommonTickClock() { return static_cast<uint64_t>(WebNowMilliseconds() * TickUnitsPerMillisecond); }

uint64_t CommonTickUnitsPerMillisecond() { return static_cast<uint64_t>(TickUnitsPerMillisecond); }

void WebRunDueTicks() {
  CommonRunDueTicks(CommonTickClock(), TickBurstLimit, nullptr);
  SliceStartedAt = WebNowMilliseconds();
}

void CommonFileReadDone() {
  if (WebNowMilliseconds() - SliceStartedAt >= WorkSliceMilliseconds) {
    qz_web_yield();
    WebRunDueTicks();
  }
}

const char* PlatCommandLine() {
  if (!CommandLineRead) {
    CommandLineRead = true;
    qz_web_command_line(CommandLine, CommandLineRoom);
  }
  return CommandLine;
}

void PlatSleep(uint32_t milliseconds) {
  double until = WebNowMilliseconds() + milliseconds;
  // The timer may wake the page a little early; the pause is never shorter.
  for (double left = milliseconds; left > 0; left = until - WebNowMilliseconds()) {
    qz_web_sleep(static_cast<uint32_t>(left + 0.999));
    WebRunDueTicks();
  }
}

uint64_t PlatClockNanoseconds() { return static_cast<uint64_t>(WebNowMilliseconds() * 1e6); }

void PlatExitProcess(uint32_t code) { qz_web_exit(static_cast<int>(code), ExitCodeMeaning(code)); }
