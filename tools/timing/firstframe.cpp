// Measures how long start-up takes: from the entry of the program to the
// run loop's first pass, and to the present of the first scene's first
// frame (the second pass: the first only enters the scene). Runs the real
// start-up, so it needs the program file in the current directory and the
// sound library where the program would find it; it then quits.
// Usage: qz_firstframe [/w|/16|/15|/24]
#include "app/runloop.h"
#include "app/startup.h"
#include "app/winproc.h"
#include "platform/plat_system.h"
#include "timing/sequencer.h"

#include <cstdio>

namespace {

uint64_t StartNs = 0;
uint64_t LoopNs = 0;
uint32_t Pass = 0;

// Stands in for the sequencer's step in the loop, timing the passes.
void TimedStep() {
  Pass++;
  if (Pass == 1) {
    LoopNs = PlatClockNanoseconds();
  }
  if (Pass == 3) {
    // Pass 2 drew the first frame and presented it.
    uint64_t now = PlatClockNanoseconds();
    std::printf("start-up to the first pass: %.1f ms\n", static_cast<double>(LoopNs - StartNs) / 1e6);
    std::printf("start-up to the first scene's first frame presented: %.1f ms\n",
                static_cast<double>(now - StartNs) / 1e6);
    std::fflush(stdout);
    QuitRequested = 1;
    return;
  }
  if (SequencerStep()) {
    QuitRequested = 1;
  }
}

}  // namespace

int main() {
  StartNs = PlatClockNanoseconds();
  FrameHook = TimedStep;
  if (!PlayPresentation()) {
    std::fprintf(stderr, "start-up failed\n");
  }
  ShutdownPresentation();
}
