// The picture each Linux window shows: made at the window's size or the
// display mode's, filled by the copies from the frame's bitmap through the
// depth's colours, put up scaled by a whole factor, paced by the display's
// refresh, and not redrawn when a copy brings the frame already on screen.
#include "platform/plat_bitmap.h"
#include "platform/plat_system.h"

#include "platform/common/clock.h"
#include "platform/common/depth.h"
#include "platform/common/handles.h"
#include "platform/common/present.h"
#include "platform/common/shown.h"
#include "platform/linux/window.h"

#include <algorithm>
#include <cstring>

namespace {

// A window never grows past this to show what is copied into it.
constexpr int32_t LargestClient = 4096;
// The window whose device context `dc` is, or null.
LinuxWindow* WindowOfDC(uintptr_t dc) {
  if (dc < CommonWindowDCBase || dc >= CommonWindowDCBase + LinuxWindowRoom) {
    return nullptr;
  }
  return LinuxFindWindow(CommonWindowBase + (dc - CommonWindowDCBase));
}

// Holds the caller until the window's next refresh is due. Without vertical
// sync this wait paces every present; with it, only the paints that put
// nothing up.
void WaitForRefresh(LinuxWindow* w) {
  SDL_DisplayMode mode;
  int display = SDL_GetWindowDisplayIndex(w->sdl);
  int32_t hz = SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0;
  CommonSleepUntil(CommonPaceTarget(&w->pacer, PlatClockNanoseconds(), CommonRefreshPeriod(hz)));
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
  SDL_SetWindowSize(w->sdl, std::max(needWidth * w->scale, shownWidth), std::max(needHeight * w->scale, shownHeight));
  LinuxPictureMake(w, needWidth, needHeight);
}

}  // namespace

void LinuxPictureSetDepth(LinuxWindow* w, uint32_t depth) {
  CommonForgetShown();
  CommonDepthLevels(depth, w->level);
  w->fullColour = CommonDepthFullColour(depth);
}

bool LinuxPictureMake(LinuxWindow* w, int32_t width, int32_t height) {
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

void LinuxPictureShow(LinuxWindow* w) {
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
  CommonShownCopy shown = CommonShownCopyOf(LinuxWindowHandle(w), copy, image);
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
  LinuxPictureShow(w);
}

// --- copies from the frame's bitmap --------------------------------------

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  const CommonImage* image = CommonMemoryImage(source);
  LinuxWindow* window = WindowOfDC(destination);
  if (image == nullptr || window == nullptr || rasterOperation != SRCCOPY) {
    return false;
  }
  LinuxWindowPaint(window, x, y, width, height, *image, sourceX, sourceY, sourceWidth, sourceHeight);
  return true;
}
