// The whole factor a Linux desktop draws at, so a window on a high-DPI
// screen is not a postage stamp. X11 desktops publish it as GDK_SCALE or as
// Xft.dpi in the X resources; a Wayland compositor hands it to a high-DPI
// window as a drawable larger than the window, so there it is 1 here.
#pragma once
#include <cstdint>

// No desktop asks for more; a larger number is a typing error.
constexpr int32_t LinuxLargestScale = 8;

// The factor the settings ask for, without SDL or X: GDK_SCALE when it is a
// whole number from 1 to LinuxLargestScale, else the resources' Xft.dpi
// over 96 rounded down, else 1. Either argument may be null; `resources` is
// the text of the root window's RESOURCE_MANAGER, one "name:\tvalue" a line.
int32_t LinuxScaleOfSettings(const char* gdkScale, const char* resources);

// Starts SDL's video (SDL_InitSubSystem's result). In a Wayland session
// that also runs XWayland, and with no driver named by the user: native
// Wayland where the output is scaled, since only a window that knows the
// scale is drawn sharp there; XWayland at scale 1, which is as sharp and
// draws without OpenGL.
int LinuxVideoStart();

// The factor a new window on the desktop is sized by under SDL's video
// driver now running: from the settings on X11, 1 elsewhere. Read once.
int32_t LinuxDesktopScale();
