// What a present decides without touching the system: when a picture may go
// up, so that a window is paced by the display's refresh, and where the
// picture lands in an output of any size. Plain arithmetic on a monotonic
// nanosecond clock, shared by the Linux and Windows layers.
#pragma once
#include "base/frame.h"

#include <cstdint>

// The display's refresh rate when it gives none.
constexpr int32_t CommonFallbackRefreshHz = 60;

// When the next present of one window may go up; next is 0 before the first.
struct CommonPacer {
  uint64_t next;
};

// Nanoseconds from one refresh to the next at `refreshHz`; the fallback rate
// for 0 or less (an unknown rate). Windows reports 1 for "the hardware's
// default", which is unknown too.
uint64_t CommonRefreshPeriod(int32_t refreshHz);

// The time at which a present asked for at `now` may go up, and the pacer
// moved on by one period. The presents keep a grid of one period: a present
// that comes early waits for its grid point, a late one goes at once and
// keeps the grid, and one late by a whole period or more starts a new grid at
// `now` instead of catching up with a burst.
uint64_t CommonPaceTarget(CommonPacer* pacer, uint64_t now, uint64_t period);

// A wait of the system's own for the display (its vertical blank, its
// compositor's frame) ran from `before` to `after`. Where it held the caller
// for a while it did the pacing: the grid restarts at `after` and 0 is
// returned, no wait of ours. Where it returned at once (an emulation that
// does not wait), the time to wait until on the pacer's grid is returned.
uint64_t CommonPaceAfterWait(CommonPacer* pacer, uint64_t before, uint64_t after, uint64_t period);

// Whether the system's millisecond sleep is fine enough to pace presents.
// Its granularity is the system's timer resolution: a millisecond while a
// 1 ms multimedia timer runs, 15.6 ms on Windows where nothing raised it.
struct CommonSleepJudge {
  int32_t lateRun;  // sleeps in a row that ended well after their time
  bool coarse;      // the sleep is coarse: a precise timer must wait instead
};

// A sleep of `asked` nanoseconds took `took`. A run of sleeps each late by
// several milliseconds marks the sleep coarse for good; one late sleep (a
// busy machine) does not, and an on-time one ends the run.
void CommonJudgeSleep(CommonSleepJudge* judge, uint64_t asked, uint64_t took);

struct CommonPlacement {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// Where a width x height picture lands in an output of the given size: scaled
// by the largest whole factor that fits, centred, the rest black. A picture
// larger than the output is shown one to one from the top-left corner and
// clipped, as a window clips what does not fit.
CommonPlacement CommonPlacePicture(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight);

// The pixels per logical pixel at which the desktop's own size is drawn.
constexpr int32_t CommonBaseDpi = 96;

// The whole factor closest to a monitor's scale of `dpi` (1 at 96 dots per
// inch, 2 at 192, 1 at 120 = 125%, 2 at 144 = 150%); 1 for an unknown 0.
int32_t CommonDpiFactor(int32_t dpi);

// A window with a caption is asked for at its outer size as the desktop of
// the year 2000 measured it: the caption and borders took
// FrameWindowCaptionRows of it (base/frame.h), and the client area left was
// the picture's size. Decorations now differ from desktop to desktop, so
// the backends give the client area that picture-sized part, times the
// desktop's whole factor, and let the decorations come on top.

struct CommonSize {
  int32_t width;
  int32_t height;
};

// The client area, before the desktop's factor, of a window with a caption
// asked for at `width` x `height` outer; at least 1 x 1.
CommonSize CommonFramedClient(int32_t width, int32_t height);
