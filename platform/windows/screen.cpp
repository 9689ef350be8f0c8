// The program's windows as the Windows layer keeps them: their scale for
// the monitor, their size changes, Alt+Enter between a window and the whole
// monitor, and the stand-in for a display mode the display lacks. Messages
// for these are answered here; the system's window procedure never sees
// them.
#include "platform/windows/screen.h"

#include "platform/common/depth.h"
#include "platform/common/shown.h"

namespace {

constexpr int ScreenRoom = 4;
// Messages newer than the headers the layer may be built with.
constexpr UINT DpiChangedMessage = 0x02E0;
// The style of a window that covers its monitor, and the parts a window on
// the desktop adds so the viewer can resize and maximise it.
constexpr LONG_PTR CoveringStyle = WS_POPUP;
constexpr LONG_PTR ResizableParts = WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
constexpr LONG_PTR FramedStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | ResizableParts;
// Alt held: bit 29 of a key message's lParam; the key was down already: 30.
constexpr LPARAM AltHeld = LPARAM{1} << 29;
constexpr LPARAM Repeat = LPARAM{1} << 30;

using SetContextFn = BOOL(WINAPI*)(HANDLE context);
using SetAwareFn = BOOL(WINAPI*)();
using DpiForWindowFn = UINT(WINAPI*)(HWND window);

// The layer's windows. Main thread only.
WindowsScreen Screens[ScreenRoom];
bool AwarenessDeclared = false;

void* UserEntry(const char* name) {
  HMODULE user = GetModuleHandleA("user32.dll");
  return user != nullptr ? reinterpret_cast<void*>(GetProcAddress(user, name)) : nullptr;
}

// The scale of the window's monitor; with no window, the system's.
int32_t DpiOf(HWND window) {
  auto forWindow = reinterpret_cast<DpiForWindowFn>(UserEntry("GetDpiForWindow"));
  if (forWindow != nullptr && window != nullptr) {
    return static_cast<int32_t>(forWindow(window));
  }
  HDC dc = GetDC(window);
  int32_t dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(window, dc);
  return dpi;
}

// A new style, shown or hidden as the window was.
void SetStyle(HWND window, LONG_PTR style) {
  SetWindowLongPtrA(window, GWL_STYLE, style | (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE));
}

void SetDepth(WindowsScreen* screen, uint32_t depth) {
  CommonDepthLevels(depth, screen->level);
  screen->fullColour = CommonDepthFullColour(depth);
  CommonForgetShown();
  screen->relayout = true;
}

// The window takes `style` (with a frame) and a client area of `width` x
// `height` whose frame's corner is at (x, y), beneath top-most windows.
void Frame(WindowsScreen* screen, LONG_PTR style, int32_t x, int32_t y, int32_t width, int32_t height) {
  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(style), FALSE, 0);
  SetStyle(screen->window, style);
  int32_t outerWidth = outer.right - outer.left;
  int32_t outerHeight = outer.bottom - outer.top;
  SetWindowPos(screen->window, HWND_NOTOPMOST, x, y, outerWidth, outerHeight, SWP_FRAMECHANGED);
  // The frame's real size may differ from the estimate (themes, the
  // system's own metrics); the client area is what counts.
  RECT client{};
  GetClientRect(screen->window, &client);
  if (client.right != width || client.bottom != height) {
    SetWindowPos(screen->window, nullptr, 0, 0, outerWidth + width - client.right,
                 outerHeight + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  screen->covering = false;
  screen->relayout = true;
}

bool Cover(WindowsScreen* screen) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(screen->window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    return false;
  }
  const RECT& r = monitor.rcMonitor;
  SetStyle(screen->window, CoveringStyle);
  SetWindowPos(screen->window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
  screen->covering = true;
  screen->relayout = true;
  return true;
}

// Alt+Enter: a window on the desktop covers its monitor and goes back where
// it was; the stand-in's covering window becomes a framed one of its
// picture's size at the monitor's scale, and back. A real display mode
// stays as it is.
void ToggleCover(WindowsScreen* screen) {
  if (screen->exclusive) {
    return;
  }
  if (!screen->covering) {
    GetWindowRect(screen->window, &screen->restore);
    screen->restoreStyle = GetWindowLongPtrA(screen->window, GWL_STYLE) & ~LONG_PTR{WS_VISIBLE};
    Cover(screen);
    return;
  }
  if (screen->framed && !IsRectEmpty(&screen->restore)) {
    SetStyle(screen->window, screen->restoreStyle);
    const RECT& r = screen->restore;
    SetWindowPos(screen->window, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_FRAMECHANGED);
    screen->covering = false;
    screen->relayout = true;
    return;
  }
  int32_t factor = CommonDpiFactor(DpiOf(screen->window));
  Frame(screen, FramedStyle, 0, 0, screen->pictureWidth * factor, screen->pictureHeight * factor);
  // A new frame can cost the keyboard (Wine without a window manager): the
  // next Alt+Enter must reach the window again.
  SetForegroundWindow(screen->window);
  SetFocus(screen->window);
}

}  // namespace

void WindowsDeclareDpiAwareness() {
  if (AwarenessDeclared) {
    return;
  }
  AwarenessDeclared = true;
  // Per monitor, version 2 (Windows 10 1703), then version 1, then the whole
  // system's scale (Vista); a manifest that declared it first wins anyway.
  auto setContext = reinterpret_cast<SetContextFn>(UserEntry("SetProcessDpiAwarenessContext"));
  if (setContext != nullptr &&
      (setContext(reinterpret_cast<HANDLE>(-4)) || setContext(reinterpret_cast<HANDLE>(-3)))) {
    return;
  }
  auto setAware = reinterpret_cast<SetAwareFn>(UserEntry("SetProcessDPIAware"));
  if (setAware != nullptr) {
    setAware();
  }
}

WindowsScreen* WindowsFindScreen(HWND window) {
  for (WindowsScreen& s : Screens) {
    if (window != nullptr && s.window == window) {
      return &s;
    }
  }
  return nullptr;
}

WindowsScreen* WindowsAddScreen(HWND window, bool framed) {
  WindowsScreen* screen = nullptr;
  for (WindowsScreen& s : Screens) {
    if (screen == nullptr && s.window == nullptr) {
      screen = &s;
    }
  }
  if (screen == nullptr) {
    return nullptr;
  }
  *screen = WindowsScreen{};
  screen->window = window;
  screen->framed = framed;
  screen->relayout = true;
  SetDepth(screen, 32);
  return screen;
}

void WindowsRemoveScreen(HWND window) {
  WindowsScreen* screen = WindowsFindScreen(window);
  if (screen != nullptr) {
    *screen = WindowsScreen{};
  }
}

void WindowsFramedSize(uint32_t extendedStyle, uint32_t* style, int32_t* width, int32_t* height) {
  *style = (*style & ~uint32_t{0xFFFF}) | static_cast<uint32_t>(ResizableParts);
  // The monitor the window opens on is not known before it exists: the
  // system's scale stands for it (the primary monitor's).
  int32_t factor = CommonDpiFactor(DpiOf(nullptr));
  RECT outer{0, 0, *width * factor, *height * factor};
  AdjustWindowRectEx(&outer, *style, FALSE, extendedStyle);
  *width = outer.right - outer.left;
  *height = outer.bottom - outer.top;
}

void WindowsFitClient(WindowsScreen* screen, int32_t width, int32_t height) {
  int32_t factor = CommonDpiFactor(DpiOf(screen->window));
  int32_t wantWidth = width * factor;
  int32_t wantHeight = height * factor;
  RECT client{};
  RECT outer{};
  GetClientRect(screen->window, &client);
  GetWindowRect(screen->window, &outer);
  if (client.right != wantWidth || client.bottom != wantHeight) {
    SetWindowPos(screen->window, nullptr, 0, 0, outer.right - outer.left + wantWidth - client.right,
                 outer.bottom - outer.top + wantHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool WindowsScreenMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  WindowsScreen* screen = WindowsFindScreen(window);
  if (screen == nullptr) {
    return false;
  }
  switch (message) {
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
      screen->relayout = true;
      screen->refreshPeriod = 0;
      *result = DefWindowProcA(window, message, wParam, lParam);
      return true;
    case WM_MOVE:
      // Perhaps onto another monitor, with a refresh rate of its own.
      screen->refreshPeriod = 0;
      return false;
    case WM_PAINT:
      // Shown again by the next present; the system's procedure validates.
      screen->relayout = true;
      return false;
    case WM_NCDESTROY:
      WindowsRemoveScreen(window);
      return false;
    case WM_ERASEBKGND:
      // The present paints every pixel of the client area itself.
      *result = 1;
      return true;
    case WM_ACTIVATE:
      // Alt+Tab away from a covering window lets the others over it.
      if (screen->covering) {
        SetWindowPos(window, LOWORD(wParam) == WA_INACTIVE ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      screen->relayout = true;
      return false;
    case DpiChangedMessage: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      if (!screen->covering && suggested != nullptr) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      screen->relayout = true;
      screen->refreshPeriod = 0;
      *result = 0;
      return true;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN && (lParam & AltHeld) != 0) {
        if ((lParam & Repeat) == 0) {
          ToggleCover(screen);
        }
        *result = 0;
        return true;
      }
      return false;
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      // The rest of Alt+Enter; the default handling would beep.
      if (wParam == VK_RETURN) {
        *result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

bool WindowsEnterStandIn(WindowsScreen* screen, int32_t width, int32_t height, uint32_t depth) {
  screen->restore = RECT{};
  if (!Cover(screen)) {
    return false;
  }
  screen->pictureWidth = width;
  screen->pictureHeight = height;
  screen->standIn = true;
  SetDepth(screen, depth);
  return true;
}

void WindowsLeaveStandIn(WindowsScreen* screen) {
  screen->standIn = false;
  SetDepth(screen, 32);
  if (screen->covering) {
    SetWindowPos(screen->window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    screen->covering = false;
  }
}
