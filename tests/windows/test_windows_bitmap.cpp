// The Win32 frame bitmap through the role header: a 32-bit DIB section in a
// memory context hands out its pixels, rows top-down for a negative height
// and bottom-up for a positive one, and GDI's copies between two memory
// contexts move them one to one (BitBlt) and scaled by nearest pixel
// (StretchBlt), as the frame's copy into the window does.
#include "platform/plat_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A memory context holding a new 32-bit bitmap; its pixels in *bits.
uintptr_t Bitmap(int32_t width, int32_t height, uint32_t** bits) {
  uintptr_t dc = PlatCreateCompatibleDC(0);
  PlatBitmapInfo info{BitmapHeaderSize, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0, {0}};
  void* memory = nullptr;
  uintptr_t bitmap = PlatCreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, 0, 0);
  EXPECT_NE(bitmap, 0u);
  EXPECT_NE(PlatSelectObject(dc, bitmap), 0u) << "the context's first bitmap is handed back";
  *bits = static_cast<uint32_t*>(memory);
  return dc;
}

}  // namespace

TEST(WindowsBitmap, CopiesBetweenMemoryContextsKeepRowsInTheirOrder) {
  uint32_t* source = nullptr;
  uintptr_t top = Bitmap(2, -2, &source);   // top-down
  ASSERT_NE(source, nullptr);
  source[0] = 0x00112233;   // top left
  source[1] = 0x00445566;   // top right
  source[2] = 0x00778899;   // bottom left
  source[3] = 0x00AABBCC;   // bottom right

  uint32_t* up = nullptr;
  uintptr_t bottom = Bitmap(2, 2, &up);   // bottom-up: memory starts with the bottom row
  ASSERT_NE(up, nullptr);
  ASSERT_TRUE(PlatBitBlt(bottom, 0, 0, 2, 2, top, 0, 0, SRCCOPY));
  EXPECT_EQ(up[0] & 0xFFFFFF, 0x778899u);
  EXPECT_EQ(up[1] & 0xFFFFFF, 0xAABBCCu);
  EXPECT_EQ(up[2] & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(up[3] & 0xFFFFFF, 0x445566u);

  // Twice the size: each source pixel becomes a 2x2 block.
  uint32_t* big = nullptr;
  uintptr_t scaled = Bitmap(4, -4, &big);
  ASSERT_NE(big, nullptr);
  ASSERT_TRUE(PlatStretchBlt(scaled, 0, 0, 4, 4, top, 0, 0, 2, 2, SRCCOPY));
  const uint32_t want[16] = {0x112233, 0x112233, 0x445566, 0x445566, 0x112233, 0x112233, 0x445566, 0x445566,
                             0x778899, 0x778899, 0xAABBCC, 0xAABBCC, 0x778899, 0x778899, 0xAABBCC, 0xAABBCC};
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(big[i] & 0xFFFFFF, want[i]) << "pixel " << i;
  }
}
