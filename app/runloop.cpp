// The frame loop.
#include "app/runloop.h"

#include "app/winproc.h"
#include "platform/plat_window.h"
#include "timing/sequencer.h"
#include "video/video.h"

void (*FrameHook)() = nullptr;

namespace {

// The message the last pass took out of the queue.
PlatMessage Message;

}  // namespace

void RunLoop() { RunLoopPausing(PauseWhenInactive); }

void RunLoopPausing(uint32_t pauseWhenInactive) {
  QuitRequested = 0;
  do {
    if (pauseWhenInactive == 0 || WindowActive != 0) {
      if (FrameHook != nullptr) {
        FrameHook();
      } else if (SequencerStep()) {
        QuitRequested = 1;
      }
      PresentFrame();
    }
    // One message at most, without waiting: input queued behind other
    // messages waits as many passes.
    if (PlatPeekMessage(&Message)) {
      PlatTranslateMessage(&Message);
      PlatDispatchMessage(&Message);
    }
  } while (QuitRequested == 0);
}
