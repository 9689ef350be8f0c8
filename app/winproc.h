// The demo window's procedure: quit gestures and focus tracking.
#pragma once
#include <cstdint>

// The message numbers (WM_CLOSE, WM_KEYUP, VK_ESCAPE, ...) are the window
// layer's.
#include "platform/plat_window.h"

struct WindowMessage {
  uintptr_t window;
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};

extern uint32_t QuitRequested;       // not 0: the run loop ends after this pass
extern uint32_t WindowActive;        // 1 after focus gained, 0 after focus lost
extern WindowMessage CurrentMessage; // last message for the demo window
extern void (*MessageHook)();        // replaces the built-in quit handling

// Installs MessageHook. It completes the service layer's interface: nothing
// in this program installs a hook; the tests do.
void SetMessageHook(void (*hook)());

// Called for every message the layer dispatches; returns the default result.
intptr_t WindowProcedure(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam);
