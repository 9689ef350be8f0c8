// The demo window's procedure: quit gestures and focus tracking.
#pragma once
#include <cstdint>

constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t VK_ESCAPE = 0x1B;

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

void SetMessageHook(void (*hook)());

// Called for every message the layer dispatches; returns the default result.
intptr_t WindowProcedure(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam);
