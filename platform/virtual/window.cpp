// The window, its messages and the copies into it on the virtual platform:
// everything lives in memory. A copy into the window is a present: the
// window's picture goes to the present hook, then the clock moves on by one
// frame, as a display that shows one picture per refresh would. The memory
// contexts and bitmaps are the Linux layer's (linux/bitmap.cpp).
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"
#include "platform/linux/bitmap.h"
#include "platform/virtual/virtual.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Handles in ranges of their own, so one kind never passes for another
// (memory contexts and bitmaps are at 0x2000 and 0x3000).
constexpr uintptr_t WindowHandle = 0x100;
constexpr uintptr_t WindowDC = 0x1000;
constexpr int32_t LargestSide = 4096;   // pixels; larger windows are refused

struct Picture {
  uint32_t* pixels;  // 0x00RRGGBB, top row first; null while none
  int32_t width;
  int32_t height;
};

// The one class and the one window. Main thread only.
PlatWindowProcedure Procedure = nullptr;  // of the registered class
bool WindowExists = false;
Picture Screen = {nullptr, 0, 0};         // the window's client area
int32_t PointerCount = 0;                 // pointer shows while 0 or more
VirtualPresentHook PresentHook = nullptr;
const char ProgramMarker = 0;             // its address stands for the program's instance

uint32_t SourcePixel(const LinuxImage& image, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
    return 0;
  }
  int64_t row = image.bottomUp ? image.height - 1 - y : y;
  return image.pixels[row * image.width + x];
}

bool SideFits(int64_t side) { return side > 0 && side <= LargestSide; }

}  // namespace

void VirtualSetPresentHook(VirtualPresentHook hook) { PresentHook = hook; }

// --- messages: none ever arrives ----------------------------------------------

bool PlatPeekMessage(PlatMessage* message) { return false; }

void PlatTranslateMessage(const PlatMessage* message) {}

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  if (message == nullptr || message->window != WindowHandle || !WindowExists || Procedure == nullptr) {
    return 0;
  }
  return Procedure(message->window, message->message, message->wParam, message->lParam);
}

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (message == WM_CLOSE) {
    PlatDestroyWindow(window);
  }
  return 0;
}

// --- the class and the window ---------------------------------------------------

uintptr_t PlatProgramInstance() { return reinterpret_cast<uintptr_t>(&ProgramMarker); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->procedure == nullptr) {
    return false;
  }
  Procedure = windowClass->procedure;
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  if (WindowExists || Procedure == nullptr || !SideFits(width) || !SideFits(height)) {
    return 0;
  }
  if (Screen.pixels == nullptr || Screen.width != width || Screen.height != height) {
    std::free(Screen.pixels);
    Screen = Picture{static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height),
                                                        sizeof(uint32_t))),
                     width, height};
    if (Screen.pixels == nullptr) {
      return 0;
    }
  }
  WindowExists = true;
  return WindowHandle;
}

uintptr_t PlatGetDC(uintptr_t window) { return window == WindowHandle && WindowExists ? WindowDC : 0; }

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) { return dc == WindowDC ? 1 : 0; }

bool PlatShowWindow(uintptr_t window, int32_t command) { return window == WindowHandle && WindowExists; }

int32_t PlatShowCursor(bool show) {
  PointerCount += show ? 1 : -1;
  return PointerCount;
}

bool PlatDestroyWindow(uintptr_t window) {
  if (window != WindowHandle || !WindowExists) {
    return false;
  }
  WindowExists = false;
  return true;
}

// --- the copies into the window ---------------------------------------------

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const LinuxImage* image = LinuxMemoryImage(source);
  if (image == nullptr || destination != WindowDC || !WindowExists || rasterOperation != SRCCOPY ||
      width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    return false;
  }
  // Nearest source pixel for each window pixel the rectangle covers.
  int32_t fromY = std::max(y, 0);
  int32_t toY = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, Screen.height));
  int32_t fromX = std::max(x, 0);
  int32_t toX = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, Screen.width));
  for (int32_t row = fromY; row < toY; row++) {
    int64_t sy = sourceY + int64_t{row - y} * sourceHeight / height;
    uint32_t* out = Screen.pixels + static_cast<size_t>(row) * static_cast<size_t>(Screen.width);
    for (int32_t column = fromX; column < toX; column++) {
      out[column] = SourcePixel(*image, sourceX + int64_t{column - x} * sourceWidth / width, sy);
    }
  }
  if (PresentHook != nullptr) {
    PresentHook(Screen.pixels, static_cast<uint32_t>(Screen.width), static_cast<uint32_t>(Screen.height),
                VirtualNow());
  }
  VirtualAdvance(VirtualUnitsPerFrame);
  return true;
}
