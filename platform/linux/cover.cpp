// A Linux window over its whole display: the full-screen display modes,
// shown scaled up on a covering window, and Alt+Enter, which takes a window
// on the desktop over the display and back.
#include "platform/linux/window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// An X11 window not yet shown carries its full-screen state as a property
// the window manager reads when it maps the window. SDL only asks once the
// window shows, and a compositor's X window manager (weston's) drops a
// request that comes before its own surface for the window is mapped: the
// window would stay a decorated one of the display's size.
void AskCoverBeforeShown(SDL_Window* sdl) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN) == 0 || !SDL_GetWindowWMInfo(sdl, &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return;
  }
  Display* display = info.info.x11.display;
  Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(display, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&fullScreen), 1);
  XFlush(display);
}

// The window goes over its whole display, borderless, as desktop full
// screen. Without a window manager nothing acts on the full-screen request,
// so the window is also placed over the display itself.
bool CoverDisplay(LinuxWindow* w) {
  int display = SDL_GetWindowDisplayIndex(w->sdl);
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0) {
    return false;
  }
  SDL_SetWindowBordered(w->sdl, SDL_FALSE);
  SDL_SetWindowPosition(w->sdl, bounds.x, bounds.y);
  SDL_SetWindowSize(w->sdl, bounds.w, bounds.h);
  SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  AskCoverBeforeShown(w->sdl);
  w->covering = true;
  w->relayout = true;
  return true;
}

}  // namespace

void LinuxWindowToggleCover(LinuxWindow* w) {
  if (!w->covering) {
    SDL_GetWindowPosition(w->sdl, &w->restore.x, &w->restore.y);
    SDL_GetWindowSize(w->sdl, &w->restore.w, &w->restore.h);
    CoverDisplay(w);
    return;
  }
  SDL_SetWindowFullscreen(w->sdl, 0);
  SDL_SetWindowBordered(w->sdl, SDL_TRUE);
  SDL_SetWindowResizable(w->sdl, SDL_TRUE);
  if (w->restore.w > 0 && w->restore.h > 0) {
    SDL_SetWindowSize(w->sdl, w->restore.w, w->restore.h);
    SDL_SetWindowPosition(w->sdl, w->restore.x, w->restore.y);
  } else {
    SDL_SetWindowSize(w->sdl, w->pictureWidth * w->factor, w->pictureHeight * w->factor);
    SDL_SetWindowPosition(w->sdl, 0, 0);
  }
  w->covering = false;
  w->relayout = true;
}

bool LinuxWindowEnterFullScreen(LinuxWindow* w, int32_t width, int32_t height, uint32_t depth) {
  if (!CoverDisplay(w)) {
    return false;
  }
  w->restore = SDL_Rect{0, 0, 0, 0};
  if (!LinuxPictureMake(w, width, height)) {
    return false;
  }
  LinuxPictureSetDepth(w, depth);
  w->fullScreen = true;
  return true;
}

void LinuxWindowLeaveFullScreen(LinuxWindow* w) {
  SDL_SetWindowFullscreen(w->sdl, 0);
  SDL_SetWindowBordered(w->sdl, w->framed ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(w->sdl, w->framed ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowSize(w->sdl, w->clientWidth * w->factor, w->clientHeight * w->factor);
  SDL_SetWindowPosition(w->sdl, 0, 0);
  w->fullScreen = false;
  w->covering = false;
  LinuxPictureSetDepth(w, 32);
  LinuxPictureMake(w, w->clientWidth, w->clientHeight);
}
