// Windows, their messages and the mouse pointer on Linux, through SDL, and
// the copies from the frame's bitmap into them.
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"

#include "platform/common/handles.h"
#include "platform/linux/screen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int ClassRoom = 4;
constexpr int WindowRoom = 4;
constexpr size_t ClassNameRoom = 64;
// A window never grows past this to show what is copied into it.
constexpr int32_t LargestClient = 4096;

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

// Shown value of an 8-bit channel kept to `bits` (5 to 8): the top bits,
// spread back over eight bits as a display of that depth does.
uint8_t Level(uint32_t value, uint32_t bits) {
  if (bits >= 8) {
    return static_cast<uint8_t>(value);
  }
  uint32_t kept = value >> (8 - bits);
  return static_cast<uint8_t>(kept << (8 - bits) | kept >> (2 * bits - 8));
}

void SetDepth(LinuxWindow* w, uint32_t depth) {
  uint32_t bits[3] = {8, 8, 8};
  if (depth == 16) {
    bits[0] = 5;
    bits[1] = 6;
    bits[2] = 5;
  } else if (depth == 15) {
    bits[0] = bits[1] = bits[2] = 5;
  }
  for (int c = 0; c < 3; c++) {
    for (uint32_t v = 0; v < 256; v++) {
      w->level[c][v] = Level(v, bits[c]);
    }
  }
}

// A black picture of the given size in place of the old one.
bool MakePicture(LinuxWindow* w, int32_t width, int32_t height) {
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

// Puts the picture on the screen: one to one in a window; in full screen
// scaled by the largest whole factor that fits, centred on black.
void Show(LinuxWindow* w) {
  if (w->picture == nullptr) {
    return;
  }
  SDL_Rect to{0, 0, w->pictureWidth, w->pictureHeight};
  if (w->fullScreen) {
    int outWidth = 0;
    int outHeight = 0;
    SDL_GetRendererOutputSize(w->renderer, &outWidth, &outHeight);
    int factor = std::max(1, std::min(outWidth / w->pictureWidth, outHeight / w->pictureHeight));
    to.w = w->pictureWidth * factor;
    to.h = w->pictureHeight * factor;
    to.x = (outWidth - to.w) / 2;
    to.y = (outHeight - to.h) / 2;
  }
  bool vsync = w->fullScreen && w->paced;
  if (vsync != w->vsync) {
    SDL_RenderSetVSync(w->renderer, vsync ? 1 : 0);
    w->vsync = vsync;
  }
  SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
  SDL_RenderClear(w->renderer);
  SDL_RenderCopy(w->renderer, w->picture, nullptr, &to);
  SDL_RenderPresent(w->renderer);
  w->paced = false;
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
  SDL_SetWindowSize(w->sdl, needWidth, needHeight);
  MakePicture(w, needWidth, needHeight);
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
  if (w->framed && !w->fullScreen) {
    GrowToCover(w, x, y, width, height, image, sourceX, sourceY, sourceWidth, sourceHeight);
  }
  if (w->picture == nullptr) {
    return;
  }
  CommonStretch copy{x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight};
  CommonClip clip = CommonClipStretch(copy, w->pictureWidth, w->pictureHeight);
  if (!CommonClipEmpty(clip)) {
    SDL_Rect area{clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top};
    void* memory = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->picture, &area, &memory, &pitch) != 0) {
      return;
    }
    CommonStretchCopy(image, copy, clip, static_cast<uint32_t*>(memory), static_cast<size_t>(pitch), w->level);
    SDL_UnlockTexture(w->picture);
  }
  Show(w);
}

bool LinuxWindowEnterFullScreen(LinuxWindow* w, int32_t width, int32_t height, uint32_t depth) {
  int display = SDL_GetWindowDisplayIndex(w->sdl);
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0) {
    return false;
  }
  // Without a window manager nothing acts on the full-screen request, so the
  // window is also placed over the whole display itself.
  SDL_SetWindowBordered(w->sdl, SDL_FALSE);
  SDL_SetWindowPosition(w->sdl, bounds.x, bounds.y);
  SDL_SetWindowSize(w->sdl, bounds.w, bounds.h);
  SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
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
  SDL_SetWindowSize(w->sdl, w->outerWidth, w->outerHeight);
  SDL_SetWindowPosition(w->sdl, 0, 0);
  w->fullScreen = false;
  w->paced = false;
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
  uint32_t flags = SDL_WINDOW_HIDDEN | (w->framed ? 0u : static_cast<uint32_t>(SDL_WINDOW_BORDERLESS));
  w->sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
  if (w->sdl == nullptr) {
    return 0;
  }
  w->renderer = SDL_CreateRenderer(w->sdl, -1, 0);
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
  if (SDL_PollEvent(&event) == 0) {
    return false;
  }
  *message = Translate(event);
  return true;
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
