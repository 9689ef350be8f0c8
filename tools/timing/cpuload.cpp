// Measures what the running presentation costs during the scroller: the CPU
// seconds of the whole process (every thread: the run loop, the tick timer,
// the sound library's and SDL's own) per wall-clock second, read from
// /proc/self/stat, and the frames presented per second. Runs the real
// start-up and scene table; one second after the flickering scroller begins
// it measures for the given number of seconds, prints one line and quits.
//
// Usage, from the folder of the program file and its sound library:
//   LD_LIBRARY_PATH=. ../bin/qz_cpuload [/w|/16|/15|/24] [seconds]   (10 when not given)
// (the sound library is looked for beside the program, then on the usual
// path). QZ_MEASURE_ALSO=PID also
// reports that process's CPU over the same stretch (the X server, say).
#include "app/runloop.h"
#include "app/startup.h"
#include "app/winproc.h"
#include "demo/script.h"
#include "platform/plat_system.h"
#include "sound/sound.h"
#include "timing/sequencer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr uint64_t NsPerSecond = 1000000000ULL;
constexpr uint64_t SettleNs = NsPerSecond;  // the scroller's fade-in is over by then
constexpr long DefaultSeconds = 10;
constexpr long LongestSeconds = 100;        // the scroller lasts about two minutes

// The measurement's state; main thread only.
SceneEntry Table[SceneRowCount + 1];  // the script's table, one enter routine wrapped
uint64_t MeasureNs = 0;                // how long to measure
uint64_t ScrollerNs = 0;               // when the flickering scroller began, 0 before
uint64_t StartNs = 0;                  // when measuring began, 0 before
double StartCpu = 0;                   // CPU seconds of the process then
double StartAlsoCpu = 0;               // and of the other process
uint64_t Frames = 0;                   // passes since measuring began
int AlsoPid = 0;                       // the other process, 0 for none

// utime + stime of a process from its stat line, in seconds; -1 when
// unreadable. The command name may hold spaces, so fields are counted from
// the last ')'.
double CpuSeconds(const char* statPath) {
  FILE* f = std::fopen(statPath, "r");
  if (f == nullptr) {
    return -1;
  }
  char line[1024];
  size_t got = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  line[got] = '\0';
  const char* p = std::strrchr(line, ')');
  if (p == nullptr) {
    return -1;
  }
  // After ")": state is field 3; utime and stime are fields 14 and 15.
  unsigned long long ticks[2] = {0, 0};
  int field = 2;
  p++;
  while (*p != '\0' && field < 15) {
    while (*p == ' ') {
      p++;
    }
    field++;
    char* end = nullptr;
    if (field == 14 || field == 15) {
      ticks[field - 14] = std::strtoull(p, &end, 10);
      p = end;
    } else {
      while (*p != '\0' && *p != ' ') {
        p++;
      }
    }
  }
  if (field != 15) {
    return -1;
  }
  return static_cast<double>(ticks[0] + ticks[1]) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double AlsoCpuSeconds() {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", AlsoPid);
  return CpuSeconds(path);
}

void MarkScroller() {
  EnterFlicker();
  ScrollerNs = PlatClockNanoseconds();
}

void MeasuredStep() {
  uint64_t now = PlatClockNanoseconds();
  if (ScrollerNs != 0 && StartNs == 0 && now - ScrollerNs >= SettleNs) {
    StartNs = now;
    StartCpu = CpuSeconds("/proc/self/stat");
    StartAlsoCpu = AlsoPid != 0 ? AlsoCpuSeconds() : 0;
    Frames = 0;
  }
  if (StartNs != 0 && now - StartNs >= MeasureNs) {
    double wall = static_cast<double>(now - StartNs) / 1e9;
    double cpu = CpuSeconds("/proc/self/stat") - StartCpu;
    std::printf("%.2f s of the scroller: %.1f%% of a core, %.1f frames per second", wall, 100.0 * cpu / wall,
                static_cast<double>(Frames) / wall);
    if (AlsoPid != 0) {
      std::printf("; process %d: %.1f%% of a core", AlsoPid, 100.0 * (AlsoCpuSeconds() - StartAlsoCpu) / wall);
    }
    std::printf("\n");
    std::fflush(stdout);
    QuitRequested = 1;
    return;
  }
  Frames++;
  if (SequencerStep()) {
    std::fprintf(stderr, "the scene table ended before the measurement did\n");
    QuitRequested = 1;
  }
}

// The last plain number among the arguments; the options are the system's.
long SecondsArgument(int argc, char** argv) {
  for (int i = argc - 1; i >= 1; i--) {
    if (argv[i][0] < '0' || argv[i][0] > '9') {
      continue;  // "-16" is an option, not a count
    }
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(argv[i], &end, 10);
    if (end != argv[i] && *end == '\0' && errno == 0) {
      return value;
    }
  }
  return DefaultSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  long seconds = SecondsArgument(argc, argv);
  if (seconds <= 0 || seconds > LongestSeconds) {
    std::fprintf(stderr, "usage: qz_cpuload [/w|/16|/15|/24] [seconds, 1..%ld]\n", LongestSeconds);
    return 2;
  }
  MeasureNs = static_cast<uint64_t>(seconds) * NsPerSecond;
  const char* also = std::getenv("QZ_MEASURE_ALSO");
  AlsoPid = also != nullptr ? static_cast<int>(std::strtol(also, nullptr, 10)) : 0;
  bool wrapped = false;
  for (uint32_t i = 0; i <= SceneRowCount; i++) {
    Table[i] = SceneTable[i];
    if (Table[i].enter == EnterFlicker) {
      Table[i].enter = MarkScroller;
      wrapped = true;
    }
  }
  if (!wrapped) {
    std::fprintf(stderr, "the script has no flickering scroller\n");
    return 2;
  }
  PresentationScenes = Table;
  FrameHook = MeasuredStep;
  if (!PlayPresentation()) {
    std::fprintf(stderr, "start-up failed\n");
  }
  ShutdownPresentation();
}
