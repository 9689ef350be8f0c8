// The full-screen display service on Linux, served built in under the name
// "ddraw.dll". Today's displays seldom offer 320x240, so its modes are
// offered the way current systems serve such programs: the window covers the
// whole display and shows the mode's picture scaled by the largest whole
// factor, centred on black, with the colours the mode's depth can show.
#include "platform/plat_display.h"

#include "platform/common/display_mode.h"
#include "platform/common/display_service.h"
#include "platform/linux/builtin.h"
#include "platform/linux/window.h"

namespace {

constexpr uint32_t ModeWidth = FrameWidth;
constexpr uint32_t ModeHeight = FrameHeight;

// The one display object's state. Main thread only.
uintptr_t ExclusiveWindow = 0;  // the window that took the screen, 0 for none
bool ModeSet = false;           // a mode is on the screen (until restored)
uint32_t ModeDepth = 0;         // its bits per pixel
// The primary surface's memory: 32-bit 0x00RRGGBB values at every depth, as
// the frame has them; shown at the mode's depth on unlock.
uint32_t SurfaceMemory[ModeWidth * ModeHeight];

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
  for (uint32_t depth : CommonModeDepths) {
    if (!CommonModeMatches(pattern, ModeWidth, ModeHeight)) {
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
  if (!CommonModeOffered(width, height, bitsPerPixel)) {
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

// The wait happens where it can be seen: every copy into a window of this
// layer goes up in step with the display's refresh and holds the caller
// until then, so the copy after this call is paced already.
int32_t WaitForVerticalBlank(PlatDisplay*, uint32_t flags, void*) {
  return FullScreenWindow() != nullptr ? DD_OK : DDERR_NOEXCLUSIVEMODE;
}

int32_t Lock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags, void*) {
  if (FullScreenWindow() == nullptr) {
    return DDERR_SURFACELOST;
  }
  CommonDescribePrimarySurface(description, SurfaceMemory);
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
  return CommonCreatePrimarySurface(description, surface, FullScreenWindow() != nullptr, &PrimarySurface);
}

const PlatDisplayOps DisplayOps = {
    SetCooperativeLevel, EnumDisplayModes, SetDisplayMode, RestoreDisplayMode, WaitForVerticalBlank, CreateSurface,
};
PlatDisplay Display = {&DisplayOps};

// "DirectDrawCreate": the primary display only, and only when there is one.
int32_t DisplayCreate(const void* device, PlatDisplay** display, void* outer) {
  // The video is started only for a well-formed request.
  if (CommonAsksForPrimaryDisplay(device, display, outer) && !LinuxVideoReady()) {
    return DDERR_NODIRECTDRAWHW;
  }
  return CommonCreateDisplay(device, display, outer, &Display);
}

}  // namespace

void* LinuxDisplaySymbol(const char* plainName) {
  return CommonDisplaySymbol(plainName, reinterpret_cast<void*>(&DisplayCreate));
}
