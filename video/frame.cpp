// The frame buffer and its presentation: the one 320x240 32-bit render
// target, copied into the window or straight into the primary surface.
#include "video/video.h"

#include "base/syserror.h"
#include "platform/plat_bitmap.h"
#include "video/device.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t BytesPerPixel = 4;

// The frame's state: made once by CreateFrameBuffer, kept until the end.
uint32_t* PixelPointer = nullptr;  // first (top-left) pixel; null until made
uintptr_t MemoryDC = 0;            // holds the frame's bitmap for the whole run
uintptr_t Bitmap = 0;              // the bitmap whose memory PixelPointer is
uint32_t PixelCount = 0;           // width x height of the frame
PlatBitmapInfo BitmapDescription = {
    BitmapHeaderSize, 0, 0, 1, 0, BI_RGB, 0, 0, 0, 0, 0, {0},
};

uint32_t BitmapWidth() { return static_cast<uint32_t>(BitmapDescription.biWidth); }
uint32_t BitmapHeight() { return static_cast<uint32_t>(-BitmapDescription.biHeight); }

void WindowCopy() {
  PlatBitBlt(VideoDevice.windowDC, 0, 0, static_cast<int32_t>(VideoDevice.width),
             static_cast<int32_t>(VideoDevice.height), MemoryDC, 0, 0, SRCCOPY);
}

// Writes the frame's values unchanged into the locked primary surface. A
// lock that gives no memory, or rows closer together than a frame row,
// leaves the surface untouched; never more than the frame holds is read.
void SurfaceCopy() {
  PlatDisplaySurface* surface = VideoDevice.primarySurface;
  PlatSurfaceDesc& description = VideoDevice.surfaceDescription;
  ClearSurfaceDescription();
  surface->ops->Lock(surface, nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  auto* destination = static_cast<unsigned char*>(description.lpSurface);
  if (destination == nullptr) {
    return;
  }
  uint32_t columns = std::min(VideoDevice.width, BitmapWidth());
  uint32_t rows = std::min(VideoDevice.height, BitmapHeight());
  int32_t pitch = description.lPitch;
  const uint32_t* source = PixelPointer;
  if (pitch == 0) {
    uint32_t count = std::min(PixelCount, VideoDevice.width * VideoDevice.height);
    std::memcpy(destination, source, count * BytesPerPixel);
  } else if (pitch >= static_cast<int32_t>(VideoDevice.width * BytesPerPixel)) {
    for (uint32_t y = 0; y < rows; y++) {
      std::memcpy(destination, source, columns * BytesPerPixel);
      destination += pitch;
      source += BitmapWidth();
    }
  }
  surface->ops->Unlock(surface, nullptr);
}

}  // namespace

uint32_t* CreateFrameBuffer(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  PixelPointer = nullptr;
  BitmapDescription.biWidth = static_cast<int32_t>(width);
  BitmapDescription.biHeight = -static_cast<int32_t>(height);
  BitmapDescription.biBitCount = static_cast<uint16_t>(bitsPerPixel);
  PixelCount = width * height;
  MemoryDC = PlatCreateCompatibleDC(0);
  void* bits = nullptr;
  Bitmap = PlatCreateDIBSection(MemoryDC, &BitmapDescription, DIB_RGB_COLORS, &bits, 0, 0);
  PixelPointer = static_cast<uint32_t*>(bits);
  PlatSelectObject(MemoryDC, Bitmap);
  if (PixelPointer == nullptr) {
    RecordSystemError(ErrorFrameBuffer);
    return nullptr;
  }
  return PixelPointer;
}

void PresentFrame() {
  // Without a primary surface (the window on the desktop) the surface tag
  // falls back to the window copy.
  bool surfaceCopy = VideoDevice.presentTag == PresentSurfaceCopy && VideoDevice.primarySurface != nullptr;
  if (VideoDevice.modeRequest != ModeWindow && VideoDevice.display != nullptr) {
    VideoDevice.display->ops->WaitForVerticalBlank(VideoDevice.display, DDWAITVB_BLOCKBEGIN, nullptr);
  }
  if (surfaceCopy) {
    SurfaceCopy();
  } else {
    WindowCopy();
  }
}

void ReleaseFrameContext() {
  if (MemoryDC == 0) {
    return;
  }
  PlatReleaseDC(VideoDevice.window, MemoryDC);
}

void StretchFrame(uintptr_t destination, uint32_t width, uint32_t height) {
  PlatStretchBlt(destination, 0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height), MemoryDC, 0, 0,
                 static_cast<int32_t>(BitmapWidth()), static_cast<int32_t>(BitmapHeight()), SRCCOPY);
}
