// The one window of the in-memory backends.
#include "platform/common/window.h"

#include "platform/common/handles.h"
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"

#include <cstring>

namespace {

constexpr uintptr_t WindowHandle = CommonWindowBase;
constexpr uintptr_t WindowDC = CommonWindowDCBase;
constexpr size_t ClassNameRoom = 64;

// The one class and the one window. Main thread only.
const char ProgramMarker = 0;                 // its address stands for the program's instance
char ClassName[ClassNameRoom];                // the registered class's name
PlatWindowProcedure Procedure = nullptr;      // of the registered class, null until then
bool Exists = false;
int32_t Width = 0;                            // the window's size as created
int32_t Height = 0;
int32_t PointerCount = 0;                     // the pointer shows while 0 or more

bool SideFits(int64_t side) { return side > 0 && side <= CommonWindowLargestSide; }

}  // namespace

// --- messages ------------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* message) {
  uint32_t number = 0;
  uint32_t wParam = 0;
  if (!Exists || !CommonWindowTakeMessage(&number, &wParam)) {
    return false;
  }
  *message = PlatMessage{WindowHandle, number, wParam, 0};
  return true;
}

void PlatTranslateMessage(const PlatMessage* message) {}

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  if (message == nullptr || message->window != WindowHandle || !Exists || Procedure == nullptr) {
    return 0;
  }
  return Procedure(message->window, message->message, message->wParam, message->lParam);
}

// A close destroys the window; everything else is ignored.
intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (message == WM_CLOSE) {
    PlatDestroyWindow(window);
  }
  return 0;
}

// --- the class and the window ----------------------------------------------------

uintptr_t PlatProgramInstance() { return reinterpret_cast<uintptr_t>(&ProgramMarker); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->procedure == nullptr || windowClass->className == nullptr ||
      std::strlen(windowClass->className) >= ClassNameRoom) {
    return false;
  }
  std::memcpy(ClassName, windowClass->className, std::strlen(windowClass->className) + 1);
  Procedure = windowClass->procedure;
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  if (Exists || Procedure == nullptr || className == nullptr || std::strcmp(className, ClassName) != 0 ||
      !SideFits(width) || !SideFits(height)) {
    return 0;
  }
  Exists = true;
  Width = width;
  Height = height;
  return WindowHandle;
}

uintptr_t PlatGetDC(uintptr_t window) { return window == WindowHandle && Exists ? WindowDC : 0; }

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) { return dc == WindowDC ? 1 : 0; }

bool PlatShowWindow(uintptr_t window, int32_t command) { return window == WindowHandle && Exists; }

int32_t PlatShowCursor(bool show) {
  PointerCount += show ? 1 : -1;
  CommonWindowPointer(PointerCount >= 0);
  return PointerCount;
}

bool PlatDestroyWindow(uintptr_t window) {
  if (window != WindowHandle || !Exists) {
    return false;
  }
  Exists = false;
  return true;
}

// --- the copies into the window --------------------------------------------------

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const CommonImage* image = CommonMemoryImage(source);
  if (image == nullptr || destination != WindowDC || !Exists || rasterOperation != SRCCOPY || width <= 0 ||
      height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    return false;
  }
  return CommonWindowPresent(*image, CommonStretch{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight},
                             Width, Height);
}
