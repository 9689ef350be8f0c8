// The full-screen display service on Linux, served built in under the name
// "ddraw.dll". Today's displays seldom offer 320x240, so its modes are
// offered the way current systems serve such programs: the window covers the
// whole display and shows the mode's picture scaled by the largest whole
// factor, centred on black, with the colours the mode's depth can show.
#include "platform/plat_display.h"

#include "platform/common/display_mode.h"
#include "platform/linux/builtin.h"
#include "platform/linux/screen.h"

#include <cstring>

namespace {

constexpr uint32_t ModeWidth = 320;
constexpr uint32_t ModeHeight = 240;
constexpr uint32_t ModeDepths[] = {15, 16, 24, 32};
constexpr uint32_t SurfaceBytesPerPixel = 4;

// The one display object's state. Main thread only.
uintptr_t ExclusiveWindow = 0;  // the window that took the screen, 0 for none
bool ModeSet = false;           // a mode is on the screen (until restored)
uint32_t ModeDepth = 0;         // its bits per pixel
// The primary surface's memory: 32-bit 0x00RRGGBB values at every depth, as
// the frame has them; shown at the mode's depth on unlock.
uint32_t SurfaceMemory[ModeWidth * ModeHeight];

bool Offered(uint32_t width, uint32_t height, uint32_t depth) {
  if (width != ModeWidth || height != ModeHeight) {
    return false;
  }
  for (uint32_t d : ModeDepths) {
    if (d == depth) {
      return true;
    }
  }
  return false;
}

// The window in full screen, or null once it is gone or the mode restored.
LinuxWindow* FullScreenWindow() { return ModeSet ? LinuxFindWindow(ExclusiveWindow) : nullptr; }

uint32_t DesktopRefresh() {
  SDL_DisplayMode desktop;
  LinuxWindow* w = LinuxFindWindow(ExclusiveWindow);
  int display = w != nullptr ? SDL_GetWindowDisplayIndex(w->sdl) : 0;
  if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desktop) != 0 || desktop.refresh_rate <= 0) {
    return 0;
  }
  return static_cast<uint32_t>(desktop.refresh_rate);
}

int32_t SetCooperativeLevel(PlatDisplay*, uintptr_t window, uint32_t flags) {
  if (LinuxFindWindow(window) == nullptr) {
    return DDERR_GENERIC;
  }
  bool exclusive = (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) == (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  ExclusiveWindow = exclusive ? window : 0;
  return DD_OK;
}

int32_t EnumDisplayModes(PlatDisplay*, uint32_t flags, PlatSurfaceDesc* pattern, void* context,
                         PlatModeCallback callback) {
  if (callback == nullptr) {
    return DDERR_GENERIC;
  }
  uint32_t refresh = (flags & DDEDM_REFRESHRATES) != 0 ? DesktopRefresh() : 0;
  for (uint32_t depth : ModeDepths) {
    if (pattern != nullptr && (((pattern->dwFlags & DDSD_WIDTH) != 0 && pattern->dwWidth != ModeWidth) ||
                               ((pattern->dwFlags & DDSD_HEIGHT) != 0 && pattern->dwHeight != ModeHeight))) {
      continue;
    }
    PlatSurfaceDesc mode = CommonDisplayMode(ModeWidth, ModeHeight, depth, refresh);
    if (callback(&mode, context) != DDENUMRET_OK) {
      break;
    }
  }
  return DD_OK;
}

int32_t SetDisplayMode(PlatDisplay*, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  LinuxWindow* w = LinuxFindWindow(ExclusiveWindow);
  if (w == nullptr) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  if (!Offered(width, height, bitsPerPixel)) {
    return DDERR_INVALIDMODE;
  }
  if (!LinuxWindowEnterFullScreen(w, static_cast<int32_t>(width), static_cast<int32_t>(height), bitsPerPixel)) {
    return DDERR_GENERIC;
  }
  ModeSet = true;
  ModeDepth = bitsPerPixel;
  return DD_OK;
}

int32_t RestoreDisplayMode(PlatDisplay*) {
  LinuxWindow* w = FullScreenWindow();
  if (w != nullptr) {
    LinuxWindowLeaveFullScreen(w);
  }
  ModeSet = false;
  ModeDepth = 0;
  return DD_OK;
}

// The wait happens where it can be seen: the window's next present is made
// in step with the display's refresh, so the picture copied after this call
// goes up at the start of a refresh and the caller is held until then.
int32_t WaitForVerticalBlank(PlatDisplay*, uint32_t flags, void*) {
  LinuxWindow* w = FullScreenWindow();
  if (w == nullptr) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  w->paced = true;
  return DD_OK;
}

int32_t Lock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags, void*) {
  if (FullScreenWindow() == nullptr) {
    return DDERR_SURFACELOST;
  }
  description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
  description->dwWidth = ModeWidth;
  description->dwHeight = ModeHeight;
  description->lPitch = static_cast<int32_t>(ModeWidth * SurfaceBytesPerPixel);
  description->lpSurface = SurfaceMemory;
  description->ddpfPixelFormat = PlatPixelFormat{DDPF_RGB, 32};
  return DD_OK;
}

int32_t Unlock(PlatDisplaySurface*, const void* rectangle) {
  LinuxWindow* w = FullScreenWindow();
  if (w == nullptr) {
    return DDERR_SURFACELOST;
  }
  constexpr int32_t Width = static_cast<int32_t>(ModeWidth);
  constexpr int32_t Height = static_cast<int32_t>(ModeHeight);
  LinuxWindowPaint(w, 0, 0, Width, Height, CommonImage{SurfaceMemory, Width, Height, false}, 0, 0, Width, Height);
  return DD_OK;
}

const PlatSurfaceOps SurfaceOps = {Lock, Unlock};
PlatDisplaySurface PrimarySurface = {&SurfaceOps};

int32_t CreateSurface(PlatDisplay*, PlatSurfaceDesc* description, PlatDisplaySurface** surface, void* outer) {
  if (description == nullptr || surface == nullptr || (description->dwFlags & DDSD_CAPS) == 0 ||
      (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) == 0) {
    return DDERR_GENERIC;
  }
  if (FullScreenWindow() == nullptr) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  *surface = &PrimarySurface;
  return DD_OK;
}

const PlatDisplayOps DisplayOps = {
    SetCooperativeLevel, EnumDisplayModes, SetDisplayMode, RestoreDisplayMode, WaitForVerticalBlank, CreateSurface,
};
PlatDisplay Display = {&DisplayOps};

// "DirectDrawCreate": the primary display only, and only when there is one.
int32_t DisplayCreate(const void* device, PlatDisplay** display, void* outer) {
  if (display == nullptr || device != nullptr || outer != nullptr) {
    return DDERR_GENERIC;
  }
  if (!LinuxVideoReady()) {
    return DDERR_NODIRECTDRAWHW;
  }
  *display = &Display;
  return DD_OK;
}

}  // namespace

void* LinuxDisplaySymbol(const char* plainName) {
  if (std::strcmp(plainName, "DirectDrawCreate") == 0) {
    return reinterpret_cast<void*>(&DisplayCreate);
  }
  return nullptr;
}
