// The frame's bitmap in memory: memory device contexts and the bitmaps they
// hold, with no display behind them (bitmap.cpp, no SDL), and the one
// nearest-pixel stretch every backend copies them into its windows with
// (stretch.cpp). Each backend's PlatStretchBlt does the copy into a window of
// its own; the shared PlatBitBlt calls it.
#pragma once
#include <cstddef>
#include <cstdint>

// A picture to copy from: 32-bit 0x00RRGGBB values.
struct CommonImage {
  const uint32_t* pixels;
  int32_t width;
  int32_t height;
  bool bottomUp;  // the first row in memory is the bottom row
};

// The image the memory context `dc` holds, or null when `dc` is no memory
// context or has no bitmap selected.
const CommonImage* CommonMemoryImage(uintptr_t dc);

// One stretched copy: the destination rectangle and the source rectangle it
// shows, as PlatStretchBlt takes them.
struct CommonStretch {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  int32_t sourceX;
  int32_t sourceY;
  int32_t sourceWidth;
  int32_t sourceHeight;
};

// The part of the destination rectangle inside a picture of
// pictureWidth x pictureHeight; empty (left >= right or top >= bottom) when
// nothing of it is, or when a side of either rectangle is not positive.
struct CommonClip {
  int32_t left;
  int32_t top;
  int32_t right;   // one past the last column
  int32_t bottom;  // one past the last row
};
CommonClip CommonClipStretch(const CommonStretch& copy, int32_t pictureWidth, int32_t pictureHeight);
bool CommonClipEmpty(const CommonClip& clip);

// Fills the clipped part of the destination, each pixel taking the nearest
// source pixel; source pixels outside the image are black. `out` is the
// pixel at (clip.left, clip.top), rows `pitch` bytes apart. With `level`,
// each channel is shown through its table (red, green, blue).
void CommonStretchCopy(const CommonImage& image, const CommonStretch& copy, const CommonClip& clip, uint32_t* out,
                       size_t pitch, const uint8_t (*level)[256]);
