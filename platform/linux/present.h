// What a present decides without SDL: when a picture may go up, so that a
// window is paced by the display's refresh without the driver's vertical
// sync, and where the picture lands in a window of any size.
// Plain arithmetic on the monotonic clock, so the tests run it directly.
#pragma once
#include <cstdint>

// The display's refresh rate when it gives none.
constexpr int32_t FallbackRefreshHz = 60;

// When the next present of one window may go up; next is 0 before the first.
struct LinuxPacer {
  uint64_t next;
};

// Nanoseconds from one refresh to the next at `refreshHz`; the fallback rate
// for 0 or less (SDL's "unknown").
uint64_t LinuxRefreshPeriod(int32_t refreshHz);

// The time (monotonic nanoseconds) at which a present asked for at `now` may
// go up, and the pacer moved on by one period. The presents keep a grid of
// one period: a present that comes early waits for its grid point, a late one
// goes at once and keeps the grid, and one late by a whole period or more
// starts a new grid at `now` instead of catching up with a burst.
uint64_t LinuxPaceTarget(LinuxPacer* pacer, uint64_t now, uint64_t period);

struct LinuxPlacement {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// Where a width x height picture lands in an output of the given size: scaled
// by the largest whole factor that fits, centred, the rest black. A picture
// larger than the output is shown one to one from the top-left corner and
// clipped, as a window clips what does not fit.
LinuxPlacement LinuxPlacePicture(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight);

// What SDL's accelerated renderer for a window turned out to be.
struct LinuxRendererProbe {
  const char* name;        // SDL's name for it ("opengl", "opengles2", ...)
  bool accelerated;        // SDL counts it as accelerated
  bool vsync;              // the driver granted vertical sync
  const char* glRenderer;  // OpenGL's GL_RENDERER, or null where none was read
};

// Whether a window keeps that renderer: only real graphics hardware with
// vertical sync. OpenGL drawn by the processor (Mesa's llvmpipe, softpipe or
// swrast) costs more than the plain-memory path, so it is given up, as is a
// renderer whose OpenGL could not be asked.
bool LinuxUseAcceleratedRenderer(const LinuxRendererProbe& probe);
