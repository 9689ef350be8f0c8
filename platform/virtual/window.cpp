// Where the window's pictures go on the virtual platform: into memory. A
// copy into the window is a present: the window's picture goes to the
// present hook, then the clock moves on by one frame, as a display that
// shows one picture per refresh would. No message ever arrives. The window
// itself and its routines are the shared ones (common/window.h).
#include "platform/common/window.h"
#include "platform/virtual/virtual.h"

#include <cstdlib>

namespace {

struct Picture {
  uint32_t* pixels;  // 0x00RRGGBB, top row first; null while none
  int32_t width;
  int32_t height;
};

// The window's client area, kept from one window to the next while the
// size stays. Main thread only.
Picture Screen = {nullptr, 0, 0};
VirtualPresentHook PresentHook = nullptr;

bool UseScreen(int32_t width, int32_t height) {
  if (Screen.pixels != nullptr && Screen.width == width && Screen.height == height) {
    return true;
  }
  std::free(Screen.pixels);
  Screen = Picture{static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height),
                                                      sizeof(uint32_t))),
                   width, height};
  return Screen.pixels != nullptr;
}

}  // namespace

void VirtualSetPresentHook(VirtualPresentHook hook) { PresentHook = hook; }

bool CommonWindowTakeMessage(uint32_t* message, uint32_t* wParam) { return false; }

void CommonWindowPointer(bool shown) {}

bool CommonWindowPresent(const CommonImage& image, const CommonStretch& copy, int32_t width, int32_t height) {
  if (!UseScreen(width, height)) {
    return false;
  }
  CommonClip clip = CommonClipStretch(copy, Screen.width, Screen.height);
  if (!CommonClipEmpty(clip)) {
    size_t pitch = static_cast<size_t>(Screen.width) * sizeof(uint32_t);
    uint32_t* out = Screen.pixels + static_cast<size_t>(clip.top) * static_cast<size_t>(Screen.width) + clip.left;
    CommonStretchCopy(image, copy, clip, out, pitch, nullptr);
  }
  if (PresentHook != nullptr) {
    PresentHook(Screen.pixels, static_cast<uint32_t>(Screen.width), static_cast<uint32_t>(Screen.height),
                VirtualNow());
  }
  VirtualAdvance(VirtualUnitsPerFrame);
  return true;
}
