// Windows, their messages and the mouse pointer on Linux, through SDL, and
// the copies from the frame's bitmap into them.
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"

#include "platform/common/depth.h"
#include "platform/common/handles.h"
#include "platform/common/shown.h"
#include "platform/linux/screen.h"
#include "platform/plat_system.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <unistd.h>

namespace {

constexpr int ClassRoom = 4;
constexpr int WindowRoom = 4;
constexpr size_t ClassNameRoom = 64;
// A window never grows past this to show what is copied into it.
constexpr int32_t LargestClient = 4096;
// Mouse moves taken out of the queue at once when keeping only the latest.
constexpr int MoveBatch = 64;

struct LinuxClass {
  bool used;
  char name[ClassNameRoom];
  PlatWindowProcedure procedure;
};

// The layer's state. Main thread only, as SDL's video wants.
int VideoState = 0;            // 0 not tried yet, 1 ready, -1 no display
LinuxClass Classes[ClassRoom];  // registered window classes
LinuxWindow Windows[WindowRoom];
int32_t PointerCount = 0;      // pointer shows while 0 or more
const char ProgramMarker = 0;  // its address stands for the program's instance
SDL_Keycode TakenEnter = 0;    // the Enter key of an Alt+Enter until its release, which is ours too

uintptr_t HandleOf(const LinuxWindow* w) { return CommonWindowBase + static_cast<uintptr_t>(w - Windows); }

LinuxClass* FindClass(const char* name) {
  for (LinuxClass& c : Classes) {
    if (c.used && name != nullptr && std::strcmp(c.name, name) == 0) {
      return &c;
    }
  }
  return nullptr;
}

LinuxWindow* WindowOfSdlId(uint32_t id) {
  SDL_Window* sdl = SDL_GetWindowFromID(id);
  for (LinuxWindow& w : Windows) {
    if (w.used && sdl != nullptr && w.sdl == sdl) {
      return &w;
    }
  }
  return nullptr;
}

void SetDepth(LinuxWindow* w, uint32_t depth) {
  CommonForgetShown();
  CommonDepthLevels(depth, w->level);
  w->fullColour = CommonDepthFullColour(depth);
}

// A black picture of the given size in place of the old one.
bool MakePicture(LinuxWindow* w, int32_t width, int32_t height) {
  CommonForgetShown();
  w->relayout = true;
  if (w->picture != nullptr) {
    SDL_DestroyTexture(w->picture);
  }
  w->picture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  w->pictureWidth = w->picture != nullptr ? width : 0;
  w->pictureHeight = w->picture != nullptr ? height : 0;
  if (w->picture == nullptr) {
    return false;
  }
  SDL_SetTextureScaleMode(w->picture, SDL_ScaleModeNearest);
  SDL_SetTextureBlendMode(w->picture, SDL_BLENDMODE_NONE);
  void* memory = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(w->picture, nullptr, &memory, &pitch) == 0) {
    for (int32_t y = 0; y < height; y++) {
      std::memset(static_cast<uint8_t*>(memory) + static_cast<size_t>(y) * pitch, 0, static_cast<size_t>(width) * 4);
    }
    SDL_UnlockTexture(w->picture);
  }
  return true;
}

// Puts the picture on the screen without waiting: scaled by the largest
// whole factor that fits the window, centred on black, so one to one in a
// window of the picture's own size.
void Show(LinuxWindow* w) {
  if (w->picture == nullptr) {
    return;
  }
  int outWidth = 0;
  int outHeight = 0;
  SDL_GetRendererOutputSize(w->renderer, &outWidth, &outHeight);
  CommonPlacement at = CommonPlacePicture(w->pictureWidth, w->pictureHeight, outWidth, outHeight);
  SDL_Rect to{at.x, at.y, at.width, at.height};
  SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
  SDL_RenderClear(w->renderer);
  SDL_RenderCopy(w->renderer, w->picture, nullptr, &to);
  SDL_RenderPresent(w->renderer);
  w->relayout = false;
}

// Holds the caller until the window's next refresh is due. Without vertical
// sync this wait paces every present; with it, only the paints that put
// nothing up.
void WaitForRefresh(LinuxWindow* w) {
  SDL_DisplayMode mode;
  int display = SDL_GetWindowDisplayIndex(w->sdl);
  int32_t hz = SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0;
  LinuxSleepUntil(CommonPaceTarget(&w->pacer, PlatClockNanoseconds(), CommonRefreshPeriod(hz)));
}

// A window on the desktop grows, never past LargestClient, until the part of
// a copy that carries image pixels fits in its client area.
void GrowToCover(LinuxWindow* w, int32_t x, int32_t y, int32_t width, int32_t height, const CommonImage& image,
                 int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight) {
  int64_t coveredWidth = std::min<int64_t>(width, int64_t{image.width - sourceX} * width / sourceWidth);
  int64_t coveredHeight = std::min<int64_t>(height, int64_t{image.height - sourceY} * height / sourceHeight);
  int32_t needWidth = static_cast<int32_t>(std::clamp<int64_t>(x + coveredWidth, 0, LargestClient));
  int32_t needHeight = static_cast<int32_t>(std::clamp<int64_t>(y + coveredHeight, 0, LargestClient));
  if (needWidth <= w->pictureWidth && needHeight <= w->pictureHeight) {
    return;
  }
  needWidth = std::max(needWidth, w->pictureWidth);
  needHeight = std::max(needHeight, w->pictureHeight);
  // A window the viewer made larger keeps its size.
  int shownWidth = 0;
  int shownHeight = 0;
  SDL_GetWindowSize(w->sdl, &shownWidth, &shownHeight);
  SDL_SetWindowSize(w->sdl, std::max(needWidth, shownWidth), std::max(needHeight, shownHeight));
  MakePicture(w, needWidth, needHeight);
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
  w->covering = true;
  w->relayout = true;
  return true;
}

// Alt+Enter: a window on the desktop goes over the whole display, and back
// to where it was. A full-screen display mode becomes a framed window of
// the mode's size, and back; its depth stays as it was asked for.
void ToggleCover(LinuxWindow* w) {
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
    SDL_SetWindowSize(w->sdl, w->pictureWidth, w->pictureHeight);
    SDL_SetWindowPosition(w->sdl, 0, 0);
  }
  w->covering = false;
  w->relayout = true;
}

// An Enter press with Alt held, its repeats, and the release of that Enter
// key, whether Alt is still held then or not.
bool IsAltEnter(const SDL_Event& event) {
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
    return false;
  }
  SDL_Keycode key = event.key.keysym.sym;
  if (event.type == SDL_KEYUP && key == TakenEnter && key != 0) {
    TakenEnter = 0;
    return true;
  }
  if (event.type == SDL_KEYDOWN && (key == SDLK_RETURN || key == SDLK_KP_ENTER) &&
      (event.key.keysym.mod & KMOD_ALT) != 0) {
    TakenEnter = key;
    return true;
  }
  return false;
}

// Events the layer answers itself, which the window procedure never sees:
// changes of the window's size (the picture is shown again, scaled to the
// new size) and Alt+Enter. True when the event was one of them.
bool HandledHere(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT) {
    uint8_t what = event.window.event;
    if (what != SDL_WINDOWEVENT_SIZE_CHANGED && what != SDL_WINDOWEVENT_RESIZED &&
        what != SDL_WINDOWEVENT_MAXIMIZED && what != SDL_WINDOWEVENT_RESTORED) {
      return false;
    }
    LinuxWindow* w = WindowOfSdlId(event.window.windowID);
    if (w != nullptr) {
      w->relayout = true;
    }
    return true;
  }
  if (IsAltEnter(event)) {
    LinuxWindow* w = WindowOfSdlId(event.key.windowID);
    if (w != nullptr && event.type == SDL_KEYDOWN && event.key.repeat == 0) {
      ToggleCover(w);
    }
    return true;
  }
  return false;
}

// A moving mouse fills the queue faster than one message a pass empties it.
// As Windows keeps one pending mouse move, the latest, so does this: every
// move waiting in the queue is taken out and `event` becomes the last one.
void KeepLatestMove(SDL_Event* event) {
  SDL_Event moves[MoveBatch];
  int got = 0;
  while ((got = SDL_PeepEvents(moves, MoveBatch, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION)) > 0) {
    *event = moves[got - 1];
  }
}

bool IsHeadless(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Windows virtual-key code of an SDL key, 0 for keys the system never asks about.
uint32_t VirtualKey(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) {
    return VK_ESCAPE;
  }
  if (key >= SDLK_a && key <= SDLK_z) {
    return static_cast<uint32_t>('A' + (key - SDLK_a));
  }
  if ((key >= SDLK_0 && key <= SDLK_9) || key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_TAB ||
      key == SDLK_BACKSPACE) {
    return static_cast<uint32_t>(key);
  }
  return 0;
}

uint32_t PointLParam(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

// One SDL event as the message the window procedure expects.
PlatMessage Translate(const SDL_Event& event) {
  PlatMessage m{0, WM_NULL, 0, 0};
  LinuxWindow* w = nullptr;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      w = WindowOfSdlId(event.key.windowID);
      m.message = event.type == SDL_KEYUP ? WM_KEYUP : WM_KEYDOWN;
      m.wParam = VirtualKey(event.key.keysym.sym);
      // Repeat count 1; a release also carries the previous-state and
      // transition bits.
      m.lParam = event.type == SDL_KEYUP ? 0xC0000001u : (event.key.repeat ? 0x40000001u : 1u);
      break;
    case SDL_MOUSEMOTION:
      w = WindowOfSdlId(event.motion.windowID);
      m.message = WM_MOUSEMOVE;
      m.lParam = PointLParam(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      w = WindowOfSdlId(event.button.windowID);
      bool up = event.type == SDL_MOUSEBUTTONUP;
      if (event.button.button == SDL_BUTTON_LEFT) {
        m.message = up ? WM_LBUTTONUP : WM_LBUTTONDOWN;
      } else if (event.button.button == SDL_BUTTON_RIGHT) {
        m.message = up ? WM_RBUTTONUP : WM_RBUTTONDOWN;
      } else if (event.button.button == SDL_BUTTON_MIDDLE) {
        m.message = up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
      }
      // A release counts only over the window; SDL also reports releases
      // that end a drag outside it.
      int width = 0;
      int height = 0;
      if (w != nullptr) {
        SDL_GetWindowSize(w->sdl, &width, &height);
      }
      if (up && (event.button.x < 0 || event.button.y < 0 || event.button.x >= width || event.button.y >= height)) {
        m.message = WM_NULL;
      }
      m.lParam = PointLParam(event.button.x, event.button.y);
      break;
    }
    case SDL_WINDOWEVENT:
      w = WindowOfSdlId(event.window.windowID);
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        m.message = WM_CLOSE;
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        m.message = WM_SETFOCUS;
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        m.message = WM_KILLFOCUS;
      } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        m.message = WM_PAINT;
      }
      break;
    default:
      break;
  }
  m.window = w != nullptr ? HandleOf(w) : 0;
  return m;
}

// Whether the machine has a graphics device that an OpenGL driver of real
// hardware could draw with. Without one OpenGL can only run on the
// processor, and asking it would load Mesa into the process for nothing.
bool HasGraphicsDevice() {
  if (access("/dev/nvidiactl", F_OK) == 0) {
    return true;
  }
  DIR* dri = opendir("/dev/dri");
  if (dri == nullptr) {
    return false;
  }
  bool found = false;
  for (dirent* entry = readdir(dri); entry != nullptr && !found; entry = readdir(dri)) {
    found = std::strncmp(entry->d_name, "card", 4) == 0 || std::strncmp(entry->d_name, "renderD", 7) == 0;
  }
  closedir(dri);
  return found;
}

using GetStringProcedure = const unsigned char* (*)(unsigned int);
constexpr unsigned int GlRendererName = 0x1F01;  // GL_RENDERER

// SDL's accelerated renderer for the window with vertical sync, where real
// graphics hardware draws it; otherwise null, and the renderer is gone.
SDL_Renderer* HardwareRenderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) {
    return nullptr;
  }
  LinuxRendererProbe probe{nullptr, false, false, nullptr};
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) == 0) {
    probe.name = info.name;
    probe.accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
    probe.vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  }
  // A new OpenGL renderer leaves its context current on this window.
  if (probe.name != nullptr && std::strncmp(probe.name, "opengl", 6) == 0 && SDL_GL_GetCurrentWindow() == window &&
      SDL_GL_GetCurrentContext() != nullptr) {
    auto getString = reinterpret_cast<GetStringProcedure>(SDL_GL_GetProcAddress("glGetString"));
    if (getString != nullptr) {
      probe.glRenderer = reinterpret_cast<const char*>(getString(GlRendererName));
    }
  }
  if (LinuxUseAcceleratedRenderer(probe)) {
    return renderer;
  }
  SDL_DestroyRenderer(renderer);
  return nullptr;
}

}  // namespace

// --- shared with the bitmap and display layers ------------------------------

bool LinuxVideoReady() {
  if (VideoState != 0) {
    return VideoState > 0;
  }
  VideoState = -1;
  // Ctrl+C and kill end the process as usual instead of becoming events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The window's surface goes to the X server as an image in shared memory,
  // not through a software OpenGL texture whose threads and scaling cost
  // more than the picture itself. A user's environment still decides.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  // Without a display SDL falls back to drivers that show nothing; only a
  // user who names one through SDL_VIDEODRIVER gets it.
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if ((asked == nullptr || *asked == '\0') && IsHeadless(SDL_GetCurrentVideoDriver())) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  VideoState = 1;
  return true;
}

LinuxWindow* LinuxFindWindow(uintptr_t window) {
  if (window < CommonWindowBase || window >= CommonWindowBase + WindowRoom) {
    return nullptr;
  }
  LinuxWindow& w = Windows[window - CommonWindowBase];
  return w.used ? &w : nullptr;
}

LinuxWindow* LinuxWindowOfDC(uintptr_t dc) {
  if (dc < CommonWindowDCBase || dc >= CommonWindowDCBase + WindowRoom) {
    return nullptr;
  }
  return LinuxFindWindow(CommonWindowBase + (dc - CommonWindowDCBase));
}

void LinuxWindowPaint(LinuxWindow* w, int32_t x, int32_t y, int32_t width, int32_t height, const CommonImage& image,
                      int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight) {
  if (w == nullptr || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    return;
  }
  if (w->framed && !w->fullScreen && !w->covering) {
    GrowToCover(w, x, y, width, height, image, sourceX, sourceY, sourceWidth, sourceHeight);
  }
  if (w->picture == nullptr) {
    return;
  }
  // A frame equal to the one on screen is neither converted nor scaled
  // again; it still waits for its refresh, which is what paces the caller.
  CommonStretch copy{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight};
  CommonShownCopy shown = CommonShownCopyOf(HandleOf(w), copy, image);
  if (CommonAlreadyShown(shown, image) && !w->relayout) {
    WaitForRefresh(w);
    return;
  }
  CommonClip clip = CommonClipStretch(copy, w->pictureWidth, w->pictureHeight);
  if (!CommonClipEmpty(clip)) {
    SDL_Rect area{clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top};
    void* memory = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->picture, &area, &memory, &pitch) != 0) {
      return;
    }
    // At full colour no table is needed, and a copy one to one moves rows.
    CommonStretchCopy(image, copy, clip, static_cast<uint32_t*>(memory), static_cast<size_t>(pitch),
                      w->fullColour ? nullptr : w->level);
    SDL_UnlockTexture(w->picture);
  }
  CommonRememberShown(shown, image);
  // A present that waits for the refresh itself needs no wait of ours too:
  // two waits out of phase would drop every other refresh.
  if (!w->synced) {
    WaitForRefresh(w);
  }
  Show(w);
}

bool LinuxWindowEnterFullScreen(LinuxWindow* w, int32_t width, int32_t height, uint32_t depth) {
  if (!CoverDisplay(w)) {
    return false;
  }
  w->restore = SDL_Rect{0, 0, 0, 0};
  if (!MakePicture(w, width, height)) {
    return false;
  }
  SetDepth(w, depth);
  w->fullScreen = true;
  return true;
}

void LinuxWindowLeaveFullScreen(LinuxWindow* w) {
  SDL_SetWindowFullscreen(w->sdl, 0);
  SDL_SetWindowBordered(w->sdl, w->framed ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(w->sdl, w->framed ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowSize(w->sdl, w->outerWidth, w->outerHeight);
  SDL_SetWindowPosition(w->sdl, 0, 0);
  w->fullScreen = false;
  w->covering = false;
  SetDepth(w, 32);
  MakePicture(w, w->outerWidth, w->outerHeight);
}

// --- window operations ------------------------------------------------------

uintptr_t PlatProgramInstance() { return reinterpret_cast<uintptr_t>(&ProgramMarker); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->className == nullptr) {
    return false;
  }
  size_t length = std::strlen(windowClass->className);
  LinuxClass* slot = FindClass(windowClass->className);
  for (int i = 0; slot == nullptr && i < ClassRoom; i++) {
    if (!Classes[i].used) {
      slot = &Classes[i];
    }
  }
  if (slot == nullptr || length >= ClassNameRoom) {
    return false;
  }
  slot->used = true;
  std::memcpy(slot->name, windowClass->className, length + 1);
  slot->procedure = windowClass->procedure;
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  LinuxClass* c = FindClass(className);
  if (c == nullptr || width <= 0 || height <= 0 || !LinuxVideoReady()) {
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
  // The decorations are unknown until the window is shown, so the client
  // starts at the outer size asked for.
  // A window on the desktop may be resized; the picture then scales.
  uint32_t flags = SDL_WINDOW_HIDDEN | (w->framed ? static_cast<uint32_t>(SDL_WINDOW_RESIZABLE)
                                                  : static_cast<uint32_t>(SDL_WINDOW_BORDERLESS));
  w->sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
  if (w->sdl == nullptr) {
    return 0;
  }
  // Real graphics hardware shows the picture in step with the display's
  // refresh, so nothing tears.
  if (HasGraphicsDevice()) {
    w->renderer = HardwareRenderer(w->sdl);
  }
  if (w->renderer == nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_OPENGL) != 0) {
    // The probe made the window one for OpenGL; a fresh window puts the
    // plain-memory path back as it is without the probe, and SDL lets go
    // of OpenGL (Mesa itself stays mapped, its threads idle).
    SDL_DestroyWindow(w->sdl);
    w->sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
    if (w->sdl == nullptr) {
      return 0;
    }
  }
  // Otherwise a 320x240 picture scaled by a whole factor is cheaper in plain
  // memory than through OpenGL, which on most Linux desktops without a
  // driver of their own (and under Xvfb) is itself software. There is no
  // vertical sync to ask for: WaitForRefresh paces every present. A video
  // driver with no window surface of its own (Wayland's) has only OpenGL.
  if (w->renderer == nullptr) {
    w->renderer = SDL_CreateRenderer(w->sdl, -1, SDL_RENDERER_SOFTWARE);
  }
  if (w->renderer == nullptr) {
    w->renderer = SDL_CreateRenderer(w->sdl, -1, SDL_RENDERER_PRESENTVSYNC);
  }
  SDL_RendererInfo info{};
  w->synced = w->renderer != nullptr && SDL_GetRendererInfo(w->renderer, &info) == 0 &&
              (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  if (w->renderer == nullptr) {
    SDL_DestroyWindow(w->sdl);
    return 0;
  }
  w->used = true;
  w->classIndex = static_cast<int>(c - Classes);
  w->outerWidth = width;
  w->outerHeight = height;
  SetDepth(w, 32);
  MakePicture(w, width, height);
  return HandleOf(w);
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
  if (w->framed && !w->fullScreen) {
    // Now the decorations can be known: the outer size becomes the one asked
    // for. Copies grow the client again if it is too small for them.
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (SDL_GetWindowBordersSize(w->sdl, &top, &left, &bottom, &right) == 0 && top + left + bottom + right > 0) {
      int32_t width = std::max(1, w->outerWidth - left - right);
      int32_t height = std::max(1, w->outerHeight - top - bottom);
      SDL_SetWindowSize(w->sdl, width, height);
      MakePicture(w, width, height);
    }
  }
  Show(w);
  return true;
}

int32_t PlatShowCursor(bool show) {
  PointerCount += show ? 1 : -1;
  if (VideoState > 0) {
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

// --- messages -------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* message) {
  if (VideoState <= 0) {
    return false;
  }
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (HandledHere(event)) {
      continue;
    }
    if (event.type == SDL_MOUSEMOTION) {
      KeepLatestMove(&event);
    }
    *message = Translate(event);
    return true;
  }
  return false;
}

void PlatTranslateMessage(const PlatMessage* message) {}

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  LinuxWindow* w = LinuxFindWindow(message->window);
  if (w == nullptr) {
    return 0;
  }
  PlatWindowProcedure procedure = Classes[w->classIndex].procedure;
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
    Show(w);
  }
  return 0;
}

// --- copies from the frame's bitmap --------------------------------------

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const CommonImage* image = CommonMemoryImage(source);
  LinuxWindow* window = LinuxWindowOfDC(destination);
  if (image == nullptr || window == nullptr || rasterOperation != SRCCOPY) {
    return false;
  }
  LinuxWindowPaint(window, x, y, width, height, *image, sourceX, sourceY, sourceWidth, sourceHeight);
  return true;
}
