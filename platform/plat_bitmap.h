// The frame's bitmap: pixel memory the program writes directly, held by a
// memory device context, and the copies from it into the window.
#pragma once
#include <cstdint>

// Description of a bitmap, field for field as the bitmap header lays it out,
// then one colour entry.
struct PlatBitmapInfo {
  uint32_t biSize;           // size of the header fields (40)
  int32_t biWidth;           // pixels per row
  int32_t biHeight;          // rows; negative for rows top-down
  uint16_t biPlanes;         // 1
  uint16_t biBitCount;       // bits per pixel
  uint32_t biCompression;    // BI_RGB
  uint32_t biSizeImage;      // 0 for BI_RGB
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
  uint32_t bmiColors[1];     // unused at 32 bits
};

constexpr uint32_t BitmapHeaderSize = 40;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t SRCCOPY = 0x00CC0020;

// Called by CreateFrameBuffer with no reference context (0): a memory device
// context compatible with the screen. Not examined.
uintptr_t PlatCreateCompatibleDC(uintptr_t reference);

// Called by CreateFrameBuffer. Makes a bitmap of the described size whose
// pixel memory the program may write, stores the address of its first pixel
// in *bits (null on failure; CreateFrameBuffer examines it), and returns the
// bitmap. Only 32 bits per pixel in BI_RGB are served: 0x00RRGGBB values,
// rows of 4 x width bytes without gaps. No file-mapping section is used.
// The memory stays valid until the process ends.
uintptr_t PlatCreateDIBSection(uintptr_t dc, const PlatBitmapInfo* info, uint32_t usage,
                               void** bits, uintptr_t section, uint32_t offset);

// Called by CreateFrameBuffer: the bitmap becomes the memory context's source
// of pixels. Returns what was selected before. Not examined.
uintptr_t PlatSelectObject(uintptr_t dc, uintptr_t object);

// Called by PresentFrame (window copy). Copies a width x height rectangle of
// the source context's bitmap from (sourceX, sourceY) to (x, y) of the
// destination window's client area, one pixel to one pixel, and shows it.
// Parts of the rectangle beyond the bitmap show black; parts beyond the
// window are clipped. Not examined.
bool PlatBitBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height,
                uintptr_t source, int32_t sourceX, int32_t sourceY, uint32_t rasterOperation);

// Called by StretchFrame. As PlatBitBlt, but the source rectangle is scaled
// to the destination rectangle, each destination pixel taking the nearest
// source pixel. Not examined.
bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height,
                    uintptr_t source, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                    int32_t sourceHeight, uint32_t rasterOperation);
