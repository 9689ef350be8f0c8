// The built-in display services' modes, primary surface and creation.
#include "platform/common/display_service.h"

#include "platform/plat_module.h"

#include <cstring>

namespace {

constexpr uint32_t SurfaceBytesPerPixel = 4;
constexpr uint32_t SurfaceDepth = 32;
constexpr uint32_t PaletteDepth = 8;

}  // namespace

bool CommonModeOffered(uint32_t width, uint32_t height, uint32_t depth) {
  if (width != FrameWidth || height != FrameHeight) {
    return false;
  }
  for (uint32_t d : CommonModeDepths) {
    if (d == depth) {
      return true;
    }
  }
  return false;
}

bool CommonModeMatches(const PlatSurfaceDesc* pattern, uint32_t width, uint32_t height) {
  return pattern == nullptr || (((pattern->dwFlags & DDSD_WIDTH) == 0 || pattern->dwWidth == width) &&
                                ((pattern->dwFlags & DDSD_HEIGHT) == 0 || pattern->dwHeight == height));
}

uint32_t CommonStandInDepths(const uint32_t* real, uint32_t count, uint32_t* standIn) {
  uint32_t made = 0;
  for (uint32_t depth : CommonModeDepths) {
    bool listed = false;
    for (uint32_t i = 0; i < count && !listed; i++) {
      listed = real[i] == depth;
    }
    if (!listed) {
      standIn[made++] = depth;
    }
  }
  return made;
}

bool CommonRealModesUsable(const uint32_t* real, uint32_t count) {
  for (uint32_t i = 0; i < count; i++) {
    if (real[i] > PaletteDepth) {
      return true;
    }
  }
  return false;
}

void CommonDescribePrimarySurface(PlatSurfaceDesc* description, uint32_t* memory) {
  description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
  description->dwWidth = FrameWidth;
  description->dwHeight = FrameHeight;
  description->lPitch = static_cast<int32_t>(FrameWidth * SurfaceBytesPerPixel);
  description->lpSurface = memory;
  description->ddpfPixelFormat = PlatPixelFormat{DDPF_RGB, SurfaceDepth};
}

int32_t CommonCreatePrimarySurface(const PlatSurfaceDesc* description, PlatDisplaySurface** surface,
                                   bool modeOnScreen, PlatDisplaySurface* primary) {
  if (description == nullptr || surface == nullptr || (description->dwFlags & DDSD_CAPS) == 0 ||
      (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) == 0) {
    return DDERR_GENERIC;
  }
  if (!modeOnScreen) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  *surface = primary;
  return DD_OK;
}

bool CommonAsksForPrimaryDisplay(const void* device, PlatDisplay** display, void* outer) {
  return display != nullptr && device == nullptr && outer == nullptr;
}

int32_t CommonCreateDisplay(const void* device, PlatDisplay** display, void* outer, PlatDisplay* primary) {
  if (!CommonAsksForPrimaryDisplay(device, display, outer)) {
    return DDERR_GENERIC;
  }
  *display = primary;
  return DD_OK;
}

void* CommonDisplaySymbol(const char* plainName, void* create) {
  if (std::strcmp(plainName, PlatDisplayCreateName) == 0) {
    return create;
  }
  return nullptr;
}
