// The last frame a window shows.
#include "platform/common/shown.h"

#include <cstring>

namespace {

// Source images up to this many pixels are kept; the frame is 76,800.
constexpr int64_t ShownRoom = 640 * 480;

// What is on screen. Main thread only.
bool ShownValid = false;          // ShownCopy and ShownPixels are what is on screen
CommonShownCopy ShownCopy;        // the last copy remembered
uint32_t ShownPixels[ShownRoom];  // its source image's pixels as they were

int64_t PixelCount(const CommonImage& image) { return int64_t{image.width} * image.height; }

}  // namespace

CommonShownCopy CommonShownCopyOf(uintptr_t window, const CommonStretch& copy, const CommonImage& image) {
  return CommonShownCopy{window,      copy.x,         copy.y,       copy.width,   copy.height,
                         copy.sourceX, copy.sourceY,  copy.sourceWidth, copy.sourceHeight,
                         image.pixels, image.width,   image.height, image.bottomUp};
}

bool CommonAlreadyShown(const CommonShownCopy& copy, const CommonImage& image) {
  int64_t count = PixelCount(image);
  return ShownValid && copy == ShownCopy && count >= 0 && count <= ShownRoom &&
         std::memcmp(ShownPixels, image.pixels, static_cast<size_t>(count) * sizeof(uint32_t)) == 0;
}

void CommonRememberShown(const CommonShownCopy& copy, const CommonImage& image) {
  int64_t count = PixelCount(image);
  ShownValid = count >= 0 && count <= ShownRoom;
  if (ShownValid) {
    ShownCopy = copy;
    std::memcpy(ShownPixels, image.pixels, static_cast<size_t>(count) * sizeof(uint32_t));
  }
}

void CommonForgetShown() { ShownValid = false; }
