// A memory device context holding a new 32-bit bitmap, made through the
// platform's own calls, for the tests that copy from one into a window.
#pragma once
#include "platform/plat_bitmap.h"

#include <cstdint>

// Rows top-down for a negative height, as the frame's bitmap has them. The
// pixels in *bits (null when the bitmap could not be made).
inline uintptr_t TestMemoryBitmap(int32_t width, int32_t height, uint32_t** bits) {
  uintptr_t dc = PlatCreateCompatibleDC(0);
  PlatBitmapInfo info{BitmapHeaderSize, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0, {0}};
  void* memory = nullptr;
  PlatSelectObject(dc, PlatCreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, 0, 0));
  *bits = static_cast<uint32_t*>(memory);
  return dc;
}
