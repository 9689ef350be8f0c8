// The frame a backend's window shows, remembered so that a copy of the same
// pixels to the same place is not converted, scaled or sent again. One
// record per process: the program shows one window at a time.
#pragma once
#include "platform/common/bitmap.h"

#include <cstdint>

// One copy into a window: where it went and where it came from.
struct CommonShownCopy {
  uintptr_t window;
  int32_t x, y, width, height;
  int32_t sourceX, sourceY, sourceWidth, sourceHeight;
  const uint32_t* pixels;
  int32_t imageWidth, imageHeight;
  bool bottomUp;

  bool operator==(const CommonShownCopy&) const = default;
};

// The copy made from `image`'s pixels as they are now.
CommonShownCopy CommonShownCopyOf(uintptr_t window, const CommonStretch& copy, const CommonImage& image);

// True when `copy` is the last one remembered and the image holds the same
// pixels it held then: the window already shows it.
bool CommonAlreadyShown(const CommonShownCopy& copy, const CommonImage& image);

// Remembers `copy` and its image's pixels. An image too large to keep is
// never taken for shown.
void CommonRememberShown(const CommonShownCopy& copy, const CommonImage& image);

// Nothing is taken for shown until the next copy is remembered (the window's
// picture was made anew, or its colours changed).
void CommonForgetShown();
