// The demo window, its class, its device context, the mouse pointer, and the
// messages the window receives.
#pragma once
#include <cstdint>

// --- messages ------------------------------------------------------------

// Message numbers as the window procedure knows them.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t VK_ESCAPE = 0x1B;  // wParam of a key message for Escape

// One message for a window of the program, in the form the window
// procedure takes.
struct PlatMessage {
  uintptr_t window;
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};

// Called by RunLoop once per pass. Takes one pending message for any window
// of the program without waiting; false when there is none.
bool PlatPeekMessage(PlatMessage* message);

// Called by RunLoop for every message taken (kept for the key translation
// step; nothing the system examines depends on it).
void PlatTranslateMessage(const PlatMessage* message);

// Called by RunLoop: hands the message to the procedure of the window's
// class and returns its result.
intptr_t PlatDispatchMessage(const PlatMessage* message);

// Called by WindowProcedure for every message, handled or not; its result
// is the procedure's result. The default handling of WM_CLOSE destroys the
// window at once.
intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam);

// --- the window class and the window --------------------------------------

using PlatWindowProcedure = intptr_t (*)(uintptr_t window, uint32_t message, uint32_t wParam,
                                         uint32_t lParam);

// Class styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;

// Window styles. A window whose style holds all of WS_CAPTION is a framed
// window on the desktop; a WS_POPUP without it is a bare rectangle.
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_SYSMENU = 0x00080000;

// ShowWindow command that shows the window as it is.
constexpr int32_t SW_SHOW = 5;

// A window class: what every window made with its name shares. No icon, no
// pointer shape and no background brush are given.
struct PlatWindowClass {
  uint32_t style;                 // CS_ flags
  PlatWindowProcedure procedure;  // receives every message of the class's windows
  uint32_t classExtra;            // extra bytes per class (0)
  uint32_t windowExtra;           // extra bytes per window (0)
  uintptr_t instance;             // the program's instance
  const char* className;
};

// Called by OpenVideo. The program's own instance (its module handle); it is
// stored in the class record, not examined.
uintptr_t PlatProgramInstance();

// Called by OpenVideo. Registers the class under its name; the record is
// copied. Result not examined.
bool PlatRegisterClass(const PlatWindowClass* windowClass);

// Called by OpenVideo. Makes a top-level window (no parent, no menu) of a
// registered class at (x, y) with the given outer size, hidden until
// PlatShowWindow. Returns 0 when no window can be made; OpenVideo examines
// that only for the request of a window on the desktop (no display at all).
uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title,
                           uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                           uintptr_t instance);

// Called by OpenVideo. The window's device context, which PresentFrame
// copies into for the rest of the run. Not examined.
uintptr_t PlatGetDC(uintptr_t window);

// Called by ReleaseFrameContext with the window and a device context. Gives a
// window's device context back; any other context is left alone. Not examined.
int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc);

// Called by OpenVideo with SW_SHOW. Not examined.
bool PlatShowWindow(uintptr_t window, int32_t command);

// Called by OpenVideo (full screen) to hide the mouse pointer. Raises the
// pointer's display count by one for true, lowers it by one for false, and
// returns the new count; the pointer shows while the count is 0 or more.
// OpenVideo examines the count.
int32_t PlatShowCursor(bool show);

// Called by CloseVideo, and by the default handling of WM_CLOSE. A handle
// that names no window is ignored. Not examined.
bool PlatDestroyWindow(uintptr_t window);
