// The one window of the in-memory backends.
#include "platform/common/window.h"

#include "platform/common/handles.h"

namespace {

const char ProgramMarker = 0;  // its address stands for the program's instance

}  // namespace

intptr_t CommonDispatchMessage(const CommonWindow& window, const PlatMessage* message) {
  if (message == nullptr || message->window != CommonWindowBase || !window.exists || window.procedure == nullptr) {
    return 0;
  }
  return window.procedure(message->window, message->message, message->wParam, message->lParam);
}

intptr_t CommonDefWindowProc(CommonWindow& window, uintptr_t handle, uint32_t message) {
  if (message == WM_CLOSE) {
    CommonDestroyWindow(window, handle);
  }
  return 0;
}

uintptr_t CommonProgramInstance() { return reinterpret_cast<uintptr_t>(&ProgramMarker); }

uintptr_t CommonGetDC(const CommonWindow& window, uintptr_t handle) {
  return handle == CommonWindowBase && window.exists ? CommonWindowDCBase : 0;
}

int32_t CommonReleaseDC(uintptr_t dc) { return dc == CommonWindowDCBase ? 1 : 0; }

bool CommonShowWindow(const CommonWindow& window, uintptr_t handle) {
  return handle == CommonWindowBase && window.exists;
}

int32_t CommonShowCursor(CommonWindow& window, bool show) {
  window.pointerCount += show ? 1 : -1;
  return window.pointerCount;
}

bool CommonDestroyWindow(CommonWindow& window, uintptr_t handle) {
  if (handle != CommonWindowBase || !window.exists) {
    return false;
  }
  window.exists = false;
  return true;
}
