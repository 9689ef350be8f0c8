// What the Linux window and display layers share: the program's
// windows on SDL and the picture each of them shows.
#pragma once
#include "platform/common/bitmap.h"
#include "platform/common/present.h"
#include "platform/linux/present.h"

#include <SDL.h>

#include <cstdint>

struct LinuxWindow {
  bool used;
  SDL_Window* sdl;
  SDL_Renderer* renderer;
  SDL_Texture* picture;    // what the window shows, in its own pixels; kept between copies
  int32_t pictureWidth;    // the client area's size, or the display mode's in full screen
  int32_t pictureHeight;
  int classIndex;
  bool framed;             // a window on the desktop, with caption and border
  int32_t outerWidth;      // the size asked for, decorations included
  int32_t outerHeight;
  bool fullScreen;         // covers the screen, showing a display mode scaled up
  uint8_t level[3][256];   // shown value of each red, green, blue value at the depth
  bool fullColour;         // the depth shows every value as it is
  bool covering;           // over the whole display: full screen, or a window after Alt+Enter
  SDL_Rect restore;        // where a window goes back to after Alt+Enter; w 0 when it had none
  CommonPacer pacer;        // when the next paint may go up
  bool relayout;           // the window changed size or place: the next paint shows again
  bool synced;             // the renderer's present waits for the display's refresh itself
};

// Starts SDL's video once. False when there is no display to show anything
// on, which includes a headless driver the user did not ask for by name.
bool LinuxVideoReady();

// The window a handle names, or null.
LinuxWindow* LinuxFindWindow(uintptr_t window);

// The window whose device context `dc` is, or null.
LinuxWindow* LinuxWindowOfDC(uintptr_t dc);

// Copies the source rectangle of `image` onto the destination rectangle of
// the window's picture, each destination pixel taking the nearest source
// pixel; source pixels outside the image are black. Then shows the picture.
void LinuxWindowPaint(LinuxWindow* window, int32_t x, int32_t y, int32_t width, int32_t height,
                      const CommonImage& image, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                      int32_t sourceHeight);

// The window covers its display and shows a width x height picture at the
// given depth, scaled by the largest whole factor that fits, centred.
bool LinuxWindowEnterFullScreen(LinuxWindow* window, int32_t width, int32_t height, uint32_t depth);

// Back to a window on the desktop at its own size and full colour.
void LinuxWindowLeaveFullScreen(LinuxWindow* window);
