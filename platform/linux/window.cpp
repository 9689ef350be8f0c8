// Windows and their classes on Linux, through SDL: the tables, the window
// operations and the dispatch of messages to the class's procedure. The
// messages come from events.cpp, the renderer from renderer.cpp, the
// picture from picture.cpp, full screen and Alt+Enter from cover.cpp.
#include "platform/plat_window.h"

#include "platform/common/handles.h"
#include "platform/common/window_class.h"
#include "platform/linux/scale.h"
#include "platform/linux/window.h"

#include <algorithm>

namespace {

// The windows and their classes. Main thread only, as SDL's video wants.
CommonClassTable Classes;              // registered window classes
LinuxWindow Windows[LinuxWindowRoom];
int32_t PointerCount = 0;              // pointer shows while 0 or more
const char ProgramMarker = 0;          // its address stands for the program's instance

}  // namespace

uintptr_t LinuxWindowHandle(const LinuxWindow* w) { return CommonWindowBase + static_cast<uintptr_t>(w - Windows); }

LinuxWindow* LinuxWindowOfSdlId(uint32_t id) {
  SDL_Window* sdl = SDL_GetWindowFromID(id);
  for (LinuxWindow& w : Windows) {
    if (w.used && sdl != nullptr && w.sdl == sdl) {
      return &w;
    }
  }
  return nullptr;
}

LinuxWindow* LinuxFindWindow(uintptr_t window) {
  if (window < CommonWindowBase || window >= CommonWindowBase + LinuxWindowRoom) {
    return nullptr;
  }
  LinuxWindow& w = Windows[window - CommonWindowBase];
  return w.used ? &w : nullptr;
}

// --- window operations ------------------------------------------------------

uintptr_t PlatProgramInstance() { return reinterpret_cast<uintptr_t>(&ProgramMarker); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  return windowClass != nullptr &&
         CommonClassRegister(&Classes, windowClass->className, windowClass->procedure) >= 0;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  int classIndex = CommonClassFind(Classes, className);
  if (classIndex < 0 || width <= 0 || height <= 0 || !LinuxVideoReady()) {
    return 0;
  }
  LinuxWindow* w = nullptr;
  for (LinuxWindow& candidate : Windows) {
    if (!candidate.used) {
      w = &candidate;
      break;
    }
  }
  if (w == nullptr) {
    return 0;
  }
  *w = LinuxWindow{};
  w->framed = (style & WS_CAPTION) == WS_CAPTION;
  CommonSize client = w->framed ? CommonFramedClient(width, height) : CommonSize{width, height};
  w->clientWidth = client.width;
  w->clientHeight = client.height;
  w->factor = w->framed ? LinuxDesktopScale() : 1;
  // A window on the desktop may be resized; the picture then scales.
  // On Wayland the drawable then has the output's physical pixels, so the
  // compositor shows the picture as drawn instead of scaling it softly.
  uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | (w->framed ? static_cast<uint32_t>(SDL_WINDOW_RESIZABLE)
                                                  : static_cast<uint32_t>(SDL_WINDOW_BORDERLESS));
  if (!LinuxWindowOpen(w, title, x, y, client.width * w->factor, client.height * w->factor, flags)) {
    return 0;
  }
  w->used = true;
  w->classIndex = classIndex;
  LinuxPictureSetDepth(w, 32);
  LinuxPictureMake(w, client.width, client.height);
  return LinuxWindowHandle(w);
}

uintptr_t PlatGetDC(uintptr_t window) {
  LinuxWindow* w = LinuxFindWindow(window);
  return w != nullptr ? CommonWindowDCBase + (window - CommonWindowBase) : 0;
}

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) {
  // A window's context lives as long as the window; only its own counts.
  return LinuxFindWindow(window) != nullptr && dc == PlatGetDC(window) ? 1 : 0;
}

bool PlatShowWindow(uintptr_t window, int32_t command) {
  LinuxWindow* w = LinuxFindWindow(window);
  if (w == nullptr) {
    return false;
  }
  if (command == 0) {
    SDL_HideWindow(w->sdl);
    return true;
  }
  SDL_ShowWindow(w->sdl);
  SDL_RaiseWindow(w->sdl);
  SDL_SetWindowInputFocus(w->sdl);
  LinuxPictureShow(w);
  return true;
}

int32_t PlatShowCursor(bool show) {
  PointerCount += show ? 1 : -1;
  if (LinuxVideoStarted()) {
    SDL_ShowCursor(PointerCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }
  return PointerCount;
}

bool PlatDestroyWindow(uintptr_t window) {
  LinuxWindow* w = LinuxFindWindow(window);
  if (w == nullptr) {
    return false;
  }
  if (w->fullScreen) {
    SDL_SetWindowFullscreen(w->sdl, 0);
  }
  if (w->picture != nullptr) {
    SDL_DestroyTexture(w->picture);
  }
  SDL_DestroyRenderer(w->renderer);
  SDL_DestroyWindow(w->sdl);
  *w = LinuxWindow{};
  return true;
}

// --- dispatch -------------------------------------------------------------

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  LinuxWindow* w = LinuxFindWindow(message->window);
  if (w == nullptr) {
    return 0;
  }
  PlatWindowProcedure procedure = Classes.slot[w->classIndex].procedure;
  if (procedure == nullptr) {
    return PlatDefWindowProc(message->window, message->message, message->wParam, message->lParam);
  }
  return procedure(message->window, message->message, message->wParam, message->lParam);
}

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  LinuxWindow* w = LinuxFindWindow(window);
  if (w == nullptr) {
    return 0;
  }
  if (message == WM_CLOSE) {
    PlatDestroyWindow(window);
  } else if (message == WM_PAINT) {
    LinuxPictureShow(w);
  }
  return 0;
}
