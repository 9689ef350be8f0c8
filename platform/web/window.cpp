// The window, its messages and the copies into it on the page. There is one
// window, and its client area is the page's 320x240 canvas; every copy
// into it is put on the canvas in the colours the display mode can show.
// Messages come from the page's input events, queued by library.js. The
// memory contexts, bitmaps and the stretch are the shared ones (common/).
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"
#include "platform/common/bitmap.h"
#include "platform/common/depth.h"
#include "platform/common/handles.h"
#include "platform/common/window.h"
#include "platform/web/web.h"

#include <cstring>

namespace {

constexpr uintptr_t WindowHandle = CommonWindowBase;
constexpr uintptr_t WindowDC = CommonWindowDCBase;
constexpr size_t ClassNameRoom = 64;
constexpr uint32_t CanvasPixels = WebFrameWidth * WebFrameHeight;
constexpr uint8_t Opaque = 255;

// The one class, the one window and what the canvas shows. Main thread only.
char ClassName[ClassNameRoom];            // the registered class's name
CommonWindow Window = {nullptr, false, 0};
bool Waited = false;                      // a frame was waited for since the last copy
uint32_t LevelsDepth = ~0u;               // the depth Levels was made for, none before
uint8_t Levels[3][CommonChannelValues];         // shown red, green, blue value of each value
uint32_t Canvas[CanvasPixels];            // 0x00RRGGBB as shown, what the canvas shows
uint8_t CanvasBytes[CanvasPixels * 4];    // the same as the canvas takes it: R, G, B, A

// 16 bits show 5-6-5, 15 bits 5-5-5; every other depth, and a window on the
// desktop, full colour.
void UseDepth(uint32_t depth) {
  if (depth != LevelsDepth) {
    LevelsDepth = depth;
    CommonDepthLevels(depth, Levels);
  }
}

void Show() {
  for (uint32_t i = 0; i < CanvasPixels; i++) {
    uint32_t p = Canvas[i];
    uint8_t* out = CanvasBytes + i * 4;
    out[0] = static_cast<uint8_t>(p >> 16);
    out[1] = static_cast<uint8_t>(p >> 8);
    out[2] = static_cast<uint8_t>(p);
    out[3] = Opaque;
  }
  qz_web_paint(CanvasBytes, static_cast<int>(WebFrameWidth), static_cast<int>(WebFrameHeight));
}

}  // namespace

void WebWaitForFrame() {
  qz_web_wait_frame();
  WebRunDueTicks();
  Waited = true;
}

// Puts a picture on the canvas outside any copy (the display service's
// surface); the pixels are 0x00RRGGBB, rows top-down, canvas-sized.
void WebShowPicture(const uint32_t* pixels) {
  constexpr int32_t Width = WebFrameWidth;
  constexpr int32_t Height = WebFrameHeight;
  CommonImage image{pixels, Width, Height, false};
  CommonStretch copy{0, 0, Width, Height, 0, 0, Width, Height};
  UseDepth(WebModeDepth());
  CommonStretchCopy(image, copy, CommonClipStretch(copy, Width, Height), Canvas, Width * sizeof(uint32_t), Levels);
  Show();
}

// --- messages ----------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* message) {
  uint32_t number = 0;
  uint32_t wParam = 0;
  if (!Window.exists || qz_web_take_message(&number, &wParam) == 0) {
    return false;
  }
  *message = PlatMessage{WindowHandle, number, wParam, 0};
  return true;
}

void PlatTranslateMessage(const PlatMessage* message) {}

intptr_t PlatDispatchMessage(const PlatMessage* message) { return CommonDispatchMessage(Window, message); }

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  return CommonDefWindowProc(Window, window, message);
}

// --- the class and the window --------------------------------------------------

uintptr_t PlatProgramInstance() { return CommonProgramInstance(); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->procedure == nullptr || windowClass->className == nullptr ||
      std::strlen(windowClass->className) >= ClassNameRoom) {
    return false;
  }
  std::memcpy(ClassName, windowClass->className, std::strlen(windowClass->className) + 1);
  Window.procedure = windowClass->procedure;
  return true;
}

// Whatever size is asked for, the window's client area is the canvas.
uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  if (Window.exists || Window.procedure == nullptr || className == nullptr || std::strcmp(className, ClassName) != 0) {
    return 0;
  }
  Window.exists = true;
  return WindowHandle;
}

uintptr_t PlatGetDC(uintptr_t window) { return CommonGetDC(Window, window); }

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) { return CommonReleaseDC(dc); }

bool PlatShowWindow(uintptr_t window, int32_t command) { return CommonShowWindow(Window, window); }

int32_t PlatShowCursor(bool show) {
  int32_t count = CommonShowCursor(Window, show);
  qz_web_show_pointer(count >= 0 ? 1 : 0);
  return count;
}

bool PlatDestroyWindow(uintptr_t window) { return CommonDestroyWindow(Window, window); }

// --- the copies into the window ------------------------------------------------

// The page shows a picture only when it gets control back, so a copy that
// no frame wait came before waits for the next animation frame itself.
bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const CommonImage* image = CommonMemoryImage(source);
  constexpr int32_t CanvasWidth = WebFrameWidth;
  CommonStretch copy{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight};
  CommonClip clip = CommonClipStretch(copy, CanvasWidth, WebFrameHeight);
  if (image == nullptr || destination != WindowDC || !Window.exists || rasterOperation != SRCCOPY ||
      CommonClipEmpty(clip)) {
    return false;
  }
  if (!Waited) {
    WebWaitForFrame();
  }
  Waited = false;
  UseDepth(WebModeDepth());
  CommonStretchCopy(*image, copy, clip, Canvas + clip.top * CanvasWidth + clip.left, CanvasWidth * sizeof(uint32_t),
                    Levels);
  Show();
  return true;
}
