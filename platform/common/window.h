// The one window of a backend that keeps it in memory (virtual, web): the
// routines on it that do not depend on where its pictures go. Each backend
// keeps the state and hands it in.
#pragma once
#include "platform/plat_window.h"

#include <cstdint>

struct CommonWindow {
  PlatWindowProcedure procedure;  // of the registered class, null until then
  bool exists;
  int32_t pointerCount;           // pointer shows while 0 or more
};

// The window's handle is CommonWindowBase, its device context's
// CommonWindowDCBase (common/handles.h).
intptr_t CommonDispatchMessage(const CommonWindow& window, const PlatMessage* message);
// A close destroys the window; everything else is ignored.
intptr_t CommonDefWindowProc(CommonWindow& window, uintptr_t handle, uint32_t message);
uintptr_t CommonProgramInstance();
uintptr_t CommonGetDC(const CommonWindow& window, uintptr_t handle);
int32_t CommonReleaseDC(uintptr_t dc);
bool CommonShowWindow(const CommonWindow& window, uintptr_t handle);
// The new count.
int32_t CommonShowCursor(CommonWindow& window, bool show);
bool CommonDestroyWindow(CommonWindow& window, uintptr_t handle);
