// Process services and the tick on the page: the command line from the
// page's address, pauses that hand the page control, an exit that hands the
// code to the page, and the 1 ms tick run on the main thread by the clock.
// The resolution calls are the shared ones (linux/timer_period.cpp).
#include "platform/plat_system.h"
#include "platform/plat_timer.h"
#include "platform/common/tick_event.h"
#include "base/exit_codes.h"
#include "platform/web/web.h"

namespace {

constexpr int CommandLineRoom = 1024;
// Ticks run in one go at most; more than this fell due only while the page
// was hidden, and the rest simply run at the next wait.
constexpr uint32_t TickBurstLimit = 600000;

// The command line and the tick event. Main thread only, as everything here.
char CommandLine[CommandLineRoom];        // filled once from the page
bool CommandLineRead = false;
PlatTimerCallback TickCallback = nullptr;  // null while no event runs
double TickInterval = 0;                  // milliseconds
double NextTick = 0;                      // clock time the next tick is due

struct ExitMeaning {
  uint32_t code;
  const char* meaning;
};

// What each exit code tells the viewer; the page shows it beside the code.
#define QZ_EXIT_MEANING(name, value, meaning) {value, meaning},
constexpr ExitMeaning ExitMeanings[] = {QZ_EXIT_CODES(QZ_EXIT_MEANING)};
#undef QZ_EXIT_MEANING

}  // namespace

double WebNowMilliseconds() { return qz_web_now(); }

void WebRunDueTicks() {
  double now = WebNowMilliseconds();
  uint32_t ran = 0;
  // A routine run by a tick may kill the event; the loop then stops.
  while (TickCallback != nullptr && NextTick <= now && ran < TickBurstLimit) {
    NextTick += TickInterval;
    TickCallback(CommonTickEventId, 0, 0, 0, 0);
    ran++;
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

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (!CommonTickEventMayStart(interval, callback, TickCallback)) {
    return 0;
  }
  TickInterval = interval;
  NextTick = WebNowMilliseconds() + interval;
  TickCallback = callback;
  return CommonTickEventId;
}

bool PlatTimerKillEvent(uint32_t eventId) { return CommonTickEventKill(eventId, &TickCallback); }

void PlatExitProcess(uint32_t code) {
  const char* meaning = nullptr;
  for (const ExitMeaning& m : ExitMeanings) {
    if (m.code == code) {
      meaning = m.meaning;
    }
  }
  qz_web_exit(static_cast<int>(code), meaning);
}
