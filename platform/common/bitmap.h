// The frame's bitmap in memory: memory device contexts and the bitmaps they
// hold, with no display behind them (bitmap.cpp, no SDL). Shared by the
// Linux layer and the virtual platform; each copies from it into a window
// of its own in its PlatStretchBlt, which the shared PlatBitBlt calls.
#pragma once
#include <cstdint>

// A picture to copy from: 32-bit 0x00RRGGBB values.
struct LinuxImage {
  const uint32_t* pixels;
  int32_t width;
  int32_t height;
  bool bottomUp;  // the first row in memory is the bottom row
};

// The image the memory context `dc` holds, or null when `dc` is no memory
// context or has no bitmap selected.
const LinuxImage* LinuxMemoryImage(uintptr_t dc);
