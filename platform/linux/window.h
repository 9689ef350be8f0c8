// The Linux backend's windows on SDL: the record of each window and the
// routines its files (window, events, renderer, picture, cover) and the
// display service call on it.
#pragma once
#include "platform/common/bitmap.h"
#include "platform/common/present.h"
#include "platform/linux/renderer_choice.h"

#include <SDL.h>

#include <cstdint>

constexpr int LinuxWindowRoom = 4;   // windows at once

struct LinuxWindow {
  bool used;
  SDL_Window* sdl;
  SDL_Renderer* renderer;
  SDL_Texture* picture;    // what the window shows, in its own pixels; kept between copies
  int32_t pictureWidth;    // the client area's size, or the display mode's in full screen
  int32_t pictureHeight;
  int classIndex;
  bool framed;             // a window on the desktop, with caption and border
  int32_t clientWidth;     // the client area out of full screen, before the factor: the
  int32_t clientHeight;    // size asked for, less the year-2000 caption and borders if framed
  int32_t factor;          // the desktop's whole factor for a framed window, else 1
  bool fullScreen;         // covers the screen, showing a display mode scaled up
  uint8_t level[3][256];   // shown value of each red, green, blue value at the depth
  bool fullColour;         // the depth shows every value as it is
  bool covering;           // over the whole display: full screen, or a window after Alt+Enter
  SDL_Rect restore;        // where a window goes back to after Alt+Enter; w 0 when it had none
  CommonPacer pacer;        // when the next paint may go up
  bool relayout;           // the window changed size or place: the next paint shows again
  bool synced;             // the renderer's present waits for the display's refresh itself
};

// --- window.cpp: the tables ----------------------------------------------

// The window a handle names, or null.
LinuxWindow* LinuxFindWindow(uintptr_t window);

// The handle of a window in use, and the window that SDL's id names (null
// for none of ours).
uintptr_t LinuxWindowHandle(const LinuxWindow* window);
LinuxWindow* LinuxWindowOfSdlId(uint32_t id);

// --- renderer.cpp: SDL's video and each window's renderer ------------------

// Starts SDL's video once. False when there is no display to show anything
// on, which includes a headless driver the user did not ask for by name.
bool LinuxVideoReady();

// Whether SDL's video has started; never tries to start it.
bool LinuxVideoStarted();

// Makes the SDL window of `window` with `flags` and the renderer that suits
// the machine; sets sdl, renderer and synced. False, with nothing left
// open, when either cannot be made.
bool LinuxWindowOpen(LinuxWindow* window, const char* title, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t flags);

// --- picture.cpp: what each window shows ------------------------------------

// A black picture of the given size in place of the old one.
bool LinuxPictureMake(LinuxWindow* window, int32_t width, int32_t height);

// The colours the picture shows at `depth` bits per pixel.
void LinuxPictureSetDepth(LinuxWindow* window, uint32_t depth);

// Puts the picture on the screen without waiting: scaled by the largest
// whole factor that fits the window, centred on black, so one to one in a
// window of the picture's own size.
void LinuxPictureShow(LinuxWindow* window);

// Copies the source rectangle of `image` onto the destination rectangle of
// the window's picture, each destination pixel taking the nearest source
// pixel; source pixels outside the image are black. Then shows the picture.
void LinuxWindowPaint(LinuxWindow* window, int32_t x, int32_t y, int32_t width, int32_t height,
                      const CommonImage& image, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                      int32_t sourceHeight);

// --- cover.cpp: over the whole display --------------------------------------

// The window covers its display and shows a width x height picture at the
// given depth, scaled by the largest whole factor that fits, centred.
bool LinuxWindowEnterFullScreen(LinuxWindow* window, int32_t width, int32_t height, uint32_t depth);

// Back to a window on the desktop at its own size and full colour.
void LinuxWindowLeaveFullScreen(LinuxWindow* window);

// Alt+Enter: a window on the desktop goes over the whole display, and back
// to where it was. A full-screen display mode becomes a framed window of
// the mode's size, and back; its depth stays as it was asked for.
void LinuxWindowToggleCover(LinuxWindow* window);
