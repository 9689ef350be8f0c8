// The frame's bitmap on Windows: a DIB section held by a memory device
// context. Copies into the program's own windows go through the layer's
// present (scaled, paced, at the window's depth); any other copy is GDI's.
#include "platform/plat_bitmap.h"

#include "platform/windows/screen.h"

#include <windows.h>

static_assert(sizeof(BITMAPINFOHEADER) == BitmapHeaderSize);

namespace {

constexpr int MadeRoom = 4;

// A 32-bit bitmap this layer made, with its pixels as a picture: its rows'
// order is known here, where GDI's own description may not say it.
struct MadeBitmap {
  HBITMAP bitmap;
  CommonImage image;
};

// The bitmaps made so far; never deleted, as the frame's lives for the run.
// Main thread only.
MadeBitmap Made[MadeRoom];

}  // namespace

uintptr_t PlatCreateCompatibleDC(uintptr_t reference) {
  return reinterpret_cast<uintptr_t>(CreateCompatibleDC(reinterpret_cast<HDC>(reference)));
}

uintptr_t PlatCreateDIBSection(uintptr_t dc, const PlatBitmapInfo* info, uint32_t usage, void** bits,
                               uintptr_t section, uint32_t offset) {
  BITMAPINFO native{};
  native.bmiHeader.biSize = info->biSize;
  native.bmiHeader.biWidth = info->biWidth;
  native.bmiHeader.biHeight = info->biHeight;
  native.bmiHeader.biPlanes = info->biPlanes;
  native.bmiHeader.biBitCount = info->biBitCount;
  native.bmiHeader.biCompression = info->biCompression;
  native.bmiHeader.biSizeImage = info->biSizeImage;
  native.bmiHeader.biXPelsPerMeter = info->biXPelsPerMeter;
  native.bmiHeader.biYPelsPerMeter = info->biYPelsPerMeter;
  native.bmiHeader.biClrUsed = info->biClrUsed;
  native.bmiHeader.biClrImportant = info->biClrImportant;
  native.bmiColors[0] = RGBQUAD{};
  HBITMAP bitmap = CreateDIBSection(reinterpret_cast<HDC>(dc), &native, usage, bits,
                                    reinterpret_cast<HANDLE>(section), offset);
  if (bitmap != nullptr && *bits != nullptr && info->biBitCount == 32 && info->biCompression == BI_RGB &&
      info->biWidth > 0 && info->biHeight != 0) {
    for (MadeBitmap& m : Made) {
      if (m.bitmap == nullptr) {
        int32_t rows = info->biHeight < 0 ? -info->biHeight : info->biHeight;
        m = MadeBitmap{bitmap, CommonImage{static_cast<const uint32_t*>(*bits), info->biWidth, rows, info->biHeight > 0}};
        break;
      }
    }
  }
  return reinterpret_cast<uintptr_t>(bitmap);
}

uintptr_t PlatSelectObject(uintptr_t dc, uintptr_t object) {
  return reinterpret_cast<uintptr_t>(SelectObject(reinterpret_cast<HDC>(dc), reinterpret_cast<HGDIOBJ>(object)));
}

namespace {

// The picture of the bitmap this layer made that a memory context holds;
// false for any other.
bool SourceImage(uintptr_t dc, CommonImage* image) {
  HGDIOBJ bitmap = GetCurrentObject(reinterpret_cast<HDC>(dc), OBJ_BITMAP);
  for (const MadeBitmap& m : Made) {
    if (bitmap != nullptr && m.bitmap == bitmap) {
      *image = m.image;
      return true;
    }
  }
  return false;
}

bool Present(uintptr_t destination, const CommonStretch& copy, uintptr_t source, uint32_t rasterOperation) {
  CommonImage image{};
  return rasterOperation == SRCCOPY && SourceImage(source, &image) &&
         WindowsPresent(reinterpret_cast<HDC>(destination), image, copy);
}

}  // namespace

bool PlatBitBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                int32_t sourceX, int32_t sourceY, uint32_t rasterOperation) {
  if (Present(destination, CommonStretch{x, y, width, height, sourceX, sourceY, width, height}, source,
              rasterOperation)) {
    return true;
  }
  return BitBlt(reinterpret_cast<HDC>(destination), x, y, width, height, reinterpret_cast<HDC>(source), sourceX,
                sourceY, rasterOperation) != 0;
}

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  if (Present(destination, CommonStretch{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight}, source,
              rasterOperation)) {
    return true;
  }
  return StretchBlt(reinterpret_cast<HDC>(destination), x, y, width, height, reinterpret_cast<HDC>(source),
                    sourceX, sourceY, sourceWidth, sourceHeight, rasterOperation) != 0;
}
