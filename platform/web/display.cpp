// The full-screen display service on the page, served built in under the
// name "ddraw.dll". The page is the screen: it shows the canvas scaled by
// the largest whole factor that fits, centred on black, so the service
// offers 320x240 at 15, 16, 24 and 32 bits, keeps the chosen depth for the
// colours the window shows, and waits for the page's animation frame as a
// display waits for its vertical blank.
#include "platform/plat_display.h"

#include "platform/common/display_mode.h"
#include "platform/common/display_service.h"
#include "platform/web/web.h"

namespace {

// The canvas is the mode's picture.
static_assert(FrameWidth == FrameWidth && FrameHeight == FrameHeight);
// Browsers draw animation frames at the display's rate, which the page
// cannot read; this is the rate nearly every display runs at.
constexpr uint32_t AssumedRefresh = 60;

// The one display object's state. Main thread only.
bool Exclusive = false;   // a window took the screen
uint32_t ModeDepth = 0;   // bits per pixel of the mode on the screen, 0 for none
// The primary surface's memory: 32-bit 0x00RRGGBB values at every depth, as
// the frame has them; shown at the mode's depth on unlock.
uint32_t SurfaceMemory[FrameWidth * FrameHeight];

int32_t SetCooperativeLevel(PlatDisplay*, uintptr_t window, uint32_t flags) {
  if (window == 0) {
    return DDERR_GENERIC;
  }
  Exclusive = (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) == (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  return DD_OK;
}

int32_t EnumDisplayModes(PlatDisplay*, uint32_t flags, PlatSurfaceDesc* pattern, void* context,
                         PlatModeCallback callback) {
  if (callback == nullptr) {
    return DDERR_GENERIC;
  }
  if (pattern != nullptr && (((pattern->dwFlags & DDSD_WIDTH) != 0 && pattern->dwWidth != FrameWidth) ||
                             ((pattern->dwFlags & DDSD_HEIGHT) != 0 && pattern->dwHeight != FrameHeight))) {
    return DD_OK;
  }
  uint32_t refresh = (flags & DDEDM_REFRESHRATES) != 0 ? AssumedRefresh : 0;
  for (uint32_t depth : CommonModeDepths) {
    PlatSurfaceDesc mode = CommonDisplayMode(FrameWidth, FrameHeight, depth, refresh);
    if (callback(&mode, context) != DDENUMRET_OK) {
      break;
    }
  }
  return DD_OK;
}

int32_t SetDisplayMode(PlatDisplay*, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  if (!Exclusive) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  if (!CommonModeOffered(width, height, bitsPerPixel)) {
    return DDERR_INVALIDMODE;
  }
  ModeDepth = bitsPerPixel;
  return DD_OK;
}

int32_t RestoreDisplayMode(PlatDisplay*) {
  ModeDepth = 0;
  return DD_OK;
}

int32_t WaitForVerticalBlank(PlatDisplay*, uint32_t flags, void*) {
  if (ModeDepth == 0) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  WebWaitForFrame();
  return DD_OK;
}

int32_t Lock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags, void*) {
  if (ModeDepth == 0) {
    return DDERR_SURFACELOST;
  }
  CommonDescribePrimarySurface(description, SurfaceMemory);
  return DD_OK;
}

int32_t Unlock(PlatDisplaySurface*, const void* rectangle) {
  if (ModeDepth == 0) {
    return DDERR_SURFACELOST;
  }
  WebShowPicture(SurfaceMemory);
  return DD_OK;
}

const PlatSurfaceOps SurfaceOps = {Lock, Unlock};
PlatDisplaySurface PrimarySurface = {&SurfaceOps};

int32_t CreateSurface(PlatDisplay*, PlatSurfaceDesc* description, PlatDisplaySurface** surface, void* outer) {
  return CommonCreatePrimarySurface(description, surface, ModeDepth != 0, &PrimarySurface);
}

const PlatDisplayOps DisplayOps = {
    SetCooperativeLevel, EnumDisplayModes, SetDisplayMode, RestoreDisplayMode, WaitForVerticalBlank, CreateSurface,
};
PlatDisplay Display = {&DisplayOps};

// "DirectDrawCreate": the primary display only.
int32_t DisplayCreate(const void* device, PlatDisplay** display, void* outer) {
  return CommonCreateDisplay(device, display, outer, &Display);
}

}  // namespace

uint32_t WebModeDepth() { return ModeDepth; }

void* WebDisplaySymbol(const char* plainName) {
  return CommonDisplaySymbol(plainName, reinterpret_cast<void*>(&DisplayCreate));
}
