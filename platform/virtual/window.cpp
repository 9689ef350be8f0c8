// The window, its messages and the copies into it on the virtual platform:
// everything lives in memory. A copy into the window is a present: the
// window's picture goes to the present hook, then the clock moves on by one
// frame, as a display that shows one picture per refresh would. The memory
// contexts, the bitmaps and the stretch are shared (common/bitmap.h).
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"
#include "platform/common/bitmap.h"
#include "platform/common/handles.h"
#include "platform/common/window.h"
#include "platform/virtual/virtual.h"

#include <cstdlib>
#include <cstring>

namespace {

// The one window and its device context: the first handle of each range.
constexpr uintptr_t WindowHandle = CommonWindowBase;
constexpr uintptr_t WindowDC = CommonWindowDCBase;
constexpr int32_t LargestSide = 4096;   // pixels; larger windows are refused

struct Picture {
  uint32_t* pixels;  // 0x00RRGGBB, top row first; null while none
  int32_t width;
  int32_t height;
};

// The one class and the one window. Main thread only.
CommonWindow Window = {nullptr, false, 0};
Picture Screen = {nullptr, 0, 0};         // the window's client area
VirtualPresentHook PresentHook = nullptr;

bool SideFits(int64_t side) { return side > 0 && side <= LargestSide; }

}  // namespace

void VirtualSetPresentHook(VirtualPresentHook hook) { PresentHook = hook; }

// --- messages: none ever arrives ----------------------------------------------

bool PlatPeekMessage(PlatMessage* message) { return false; }

void PlatTranslateMessage(const PlatMessage* message) {}

intptr_t PlatDispatchMessage(const PlatMessage* message) { return CommonDispatchMessage(Window, message); }

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  return CommonDefWindowProc(Window, window, message);
}

// --- the class and the window ---------------------------------------------------

uintptr_t PlatProgramInstance() { return CommonProgramInstance(); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->procedure == nullptr) {
    return false;
  }
  Window.procedure = windowClass->procedure;
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  if (Window.exists || Window.procedure == nullptr || !SideFits(width) || !SideFits(height)) {
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
  Window.exists = true;
  return WindowHandle;
}

uintptr_t PlatGetDC(uintptr_t window) { return CommonGetDC(Window, window); }

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) { return CommonReleaseDC(dc); }

bool PlatShowWindow(uintptr_t window, int32_t command) { return CommonShowWindow(Window, window); }

int32_t PlatShowCursor(bool show) { return CommonShowCursor(Window, show); }

bool PlatDestroyWindow(uintptr_t window) { return CommonDestroyWindow(Window, window); }

// --- the copies into the window ---------------------------------------------

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const CommonImage* image = CommonMemoryImage(source);
  if (image == nullptr || destination != WindowDC || !Window.exists || rasterOperation != SRCCOPY ||
      width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    return false;
  }
  CommonStretch copy{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight};
  CommonClip clip = CommonClipStretch(copy, Screen.width, Screen.height);
  if (!CommonClipEmpty(clip)) {
    size_t pitch = static_cast<size_t>(Screen.width) * sizeof(uint32_t);
    uint32_t* out = Screen.pixels + static_cast<size_t>(clip.top) * static_cast<size_t>(Screen.width) + clip.left;
    CommonStretchCopy(*image, copy, clip, out, pitch, nullptr);
  }
  if (PresentHook != nullptr) {
    PresentHook(Screen.pixels, static_cast<uint32_t>(Screen.width), static_cast<uint32_t>(Screen.height),
                VirtualNow());
  }
  VirtualAdvance(VirtualUnitsPerFrame);
  return true;
}
