// What the Windows window, bitmap and display files share: the program's
// windows as this layer sees them, and the paced, scaled present into them.
// Internal to the Windows layer; main thread only.
#pragma once
#include "platform/common/bitmap.h"
#include "platform/common/present.h"

#include <cstdint>
#include <windows.h>

struct WindowsScreen {
  HWND window;             // null while the record is free
  bool framed;             // a window on the desktop, with caption and border
  bool covering;           // borderless and top-most over its whole monitor
  bool standIn;            // shows a display mode the display itself lacks
  bool exclusive;          // a real mode is on the screen: DirectDraw paces
  bool relayout;           // size, place or content changed: the next present draws again
  bool fullColour;         // the depth shows every value as it is
  uint8_t level[3][256];   // shown value of each red, green, blue value at the depth
  int32_t pictureWidth;    // what a present shows, before scaling; 0 until the first
  int32_t pictureHeight;
  LONG_PTR restoreStyle;   // the style to go back to after Alt+Enter
  RECT restore;            // where the window goes back to after Alt+Enter; empty for none
  CommonPacer pacer;       // when the next present may go up
  uint64_t refreshPeriod;  // of the window's display, in ns; 0 until read again (a move, a new mode)
};

// The process declares that it draws for each monitor's own scale, through
// the newest call the system has; nothing where it has none. Once.
void WindowsDeclareDpiAwareness();

// The record of one of the program's windows, made by PlatCreateWindow;
// null for any other window.
WindowsScreen* WindowsFindScreen(HWND window);
WindowsScreen* WindowsAddScreen(HWND window, bool framed);
void WindowsRemoveScreen(HWND window);

// A window on the desktop opens resizable and maximisable, with its client
// area `width` x `height` times the whole factor nearest the monitor's
// scale: the style and the outer size to make it with.
void WindowsFramedSize(uint32_t extendedStyle, uint32_t* style, int32_t* width, int32_t* height);

// Once made: the client area made exactly that, should the frame's real
// size differ from the estimate.
void WindowsFitClient(WindowsScreen* screen, int32_t width, int32_t height);

// Messages the layer answers itself, before the system's procedure: size
// and scale changes, Alt+Enter, the background. True when `message` was one
// of them, its result in *result; other messages it only notes (focus, a
// paint) and leaves to the system.
bool WindowsScreenMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The display service's stand-in for a mode the display lacks: the window
// covers its monitor at the desktop's own mode and shows the mode's
// width x height picture scaled up, at the colours of `depth`.
bool WindowsEnterStandIn(WindowsScreen* screen, int32_t width, int32_t height, uint32_t depth);
void WindowsLeaveStandIn(WindowsScreen* screen);

// A copy of `image` into one of the program's windows through its device
// context `dc`: shown at the largest whole factor that fits the client area,
// centred on black, at the window's depth, in step with the display's
// refresh; a frame equal to the one shown is only paced. False, with
// nothing done, for a copy this layer leaves to GDI as it stands (another
// window, a copy that does not start at the picture's corner).
bool WindowsPresent(HDC dc, const CommonImage& image, const CommonStretch& copy);

// The wait for the display's refresh: the compositor's frame where there is
// one, otherwise (or where that returned at once) the pacer's timed grid at
// the refresh rate of `dc`'s display.
void WindowsWaitForRefresh(WindowsScreen* screen, HDC dc);

// Holds the calling thread until PlatClockNanoseconds() reaches `when`.
void WindowsSleepUntil(uint64_t when);
