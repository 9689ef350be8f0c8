// The demo window's procedure: the viewer's quit gestures and the focus.
#include "app/winproc.h"

#include "video/video.h"

// Main thread only: the procedure runs inside the run loop's dispatch.
uint32_t QuitRequested = 0;                  // not 0 ends the run loop after its pass
uint32_t WindowActive = 0;                   // follows WM_SETFOCUS / WM_KILLFOCUS
WindowMessage CurrentMessage = {0, 0, 0, 0};  // last message for the demo window
void (*MessageHook)() = nullptr;             // replaces the quit handling when set

void SetMessageHook(void (*hook)()) { MessageHook = hook; }

intptr_t WindowProcedure(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  // Messages of other windows, and those sent while the demo window is being
  // made (its handle not stored yet), go straight to the default handling.
  if (window != 0 && window == VideoWindow()) {
    CurrentMessage = WindowMessage{window, message, wParam, lParam};
    if (message == WM_SETFOCUS) {
      WindowActive = 1;
    } else if (message == WM_KILLFOCUS) {
      WindowActive = 0;
    }
    if (MessageHook != nullptr) {
      MessageHook();
    } else if (message == WM_RBUTTONUP || (message == WM_KEYUP && wParam == VK_ESCAPE) ||
               message == WM_CLOSE) {
      // Quit gestures act on release, never on press.
      QuitRequested = 1;
    }
  }
  return PlatDefWindowProc(window, message, wParam, lParam);
}
