// One display mode's description.
#include "platform/common/display_mode.h"

PlatSurfaceDesc CommonDisplayMode(uint32_t width, uint32_t height, uint32_t depth, uint32_t refresh) {
  PlatSurfaceDesc mode{};
  mode.dwSize = sizeof mode;
  mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | (refresh != 0 ? DDSD_REFRESHRATE : 0);
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.lPitch = static_cast<int32_t>(width * ((depth + 7) / 8));
  mode.dwRefreshRate = refresh;
  mode.ddpfPixelFormat = PlatPixelFormat{DDPF_RGB, depth};
  return mode;
}
