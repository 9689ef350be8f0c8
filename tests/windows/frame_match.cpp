// Finds which frame of the opening a screenshot shows: the loading picture,
// or the opening picture at one of its fade levels, each drawn by the
// system's own routines. The frame's top-left pixel lies at (X, Y) of the
// screen; WIDTH x HEIGHT of it are compared, every pixel exactly. With
// SCALE, each frame pixel is a SCALE x SCALE block of the screen, every
// pixel of it the same; with DEPTH, its colour is the one a display of that
// many bits per pixel shows (16: 5-6-5, 15: 5-5-5, others unreduced).
// Usage: qz_frame_match PROGRAM-FILE SCREEN.ppm X Y WIDTH HEIGHT [SCALE [DEPTH]]
// Prints "loading" or "opening LEVEL" and exits 0 on a match; prints the
// closest candidate and exits 1 otherwise; 2 on bad input.
#include "archive/archive.h"
#include "base/names.h"
#include "demo/draw.h"
#include "demo/fade.h"
#include "platform/common/depth.h"
#include "tests/common/ppm.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {


uint32_t Frame[FramePixels];
uint8_t Level[3][CommonChannelValues];  // each channel's shown value at the depth
constexpr uint32_t LargestScale = 16;

bool Number(const char* text, uint32_t* value) {
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || v > PpmLargestSide) {
    return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t x0 = 0, y0 = 0, width = 0, height = 0, scale = 1, depth = 32;
  if (argc < 7 || argc > 9 || !Number(argv[3], &x0) || !Number(argv[4], &y0) || !Number(argv[5], &width) ||
      !Number(argv[6], &height) || width == 0 || height == 0 || width > FrameWidth || height > FrameHeight ||
      (argc > 7 && (!Number(argv[7], &scale) || scale == 0 || scale > LargestScale)) ||
      (argc > 8 && !Number(argv[8], &depth))) {
    std::fprintf(stderr, "usage: qz_frame_match PROGRAM-FILE SCREEN.ppm X Y WIDTH HEIGHT [SCALE [DEPTH]]\n");
    return 2;
  }
  CommonDepthLevels(depth, Level);
  if (!ArchiveOpen(argv[1]) ||
      !ArchiveReadCoded(ItemOpeningPalette, Pictures.openingPalette, sizeof Pictures.openingPalette) ||
      !ArchiveReadCoded(ItemOpeningPicture, Pictures.openingPicture, sizeof Pictures.openingPicture) ||
      !ArchiveReadCoded(ItemLoadingPalette, Pictures.loadingPalette, sizeof Pictures.loadingPalette) ||
      !ArchiveReadCoded(ItemLoadingPicture, Pictures.loadingPicture, sizeof Pictures.loadingPicture)) {
    std::fprintf(stderr, "%s: no opening or loading picture\n", argv[1]);
    return 2;
  }
  ArchiveClose();
  std::vector<uint32_t> screen;
  uint32_t screenWidth = 0, screenHeight = 0;
  if (!PpmRead(argv[2], screen, screenWidth, screenHeight) || x0 + width * scale > screenWidth ||
      y0 + height * scale > screenHeight) {
    std::fprintf(stderr, "%s: not a binary PPM holding the rectangle\n", argv[2]);
    return 2;
  }

  FrameBuffer = Frame;
  BuildFadeTable();
  auto differing = [&]() {
    uint32_t wrong = 0;
    for (uint32_t y = 0; y < height; y++) {
      for (uint32_t x = 0; x < width; x++) {
        uint32_t drawn = Frame[y * FrameWidth + x];
        uint32_t want = uint32_t{Level[0][(drawn >> 16) & 0xFF]} << 16 | uint32_t{Level[1][(drawn >> 8) & 0xFF]} << 8 |
                        Level[2][drawn & 0xFF];
        bool block = true;
        for (uint32_t by = 0; by < scale && block; by++) {
          const uint32_t* row = &screen[static_cast<size_t>(y0 + y * scale + by) * screenWidth + x0 + x * scale];
          for (uint32_t bx = 0; bx < scale && block; bx++) {
            block = row[bx] == want;
          }
        }
        wrong += block ? 0 : 1;
      }
    }
    return wrong;
  };

  ShowLoadingPicture();
  uint32_t fewest = differing();
  int32_t closest = -1;  // -1: the loading picture
  if (fewest == 0) {
    std::printf("loading\n");
    return 0;
  }
  for (int32_t level = FadeLevelBlack; level <= FadeLevelNormal; level++) {
    FadeLevel.store(level);
    ShowPicture(Pictures.openingPalette, Pictures.openingPicture);
    uint32_t wrong = differing();
    if (wrong == 0) {
      std::printf("opening %d\n", level);
      return 0;
    }
    if (wrong < fewest) {
      fewest = wrong;
      closest = level;
    }
  }
  if (closest < 0) {
    std::printf("no match: closest is the loading picture, %u of %u pixels differ\n", fewest, width * height);
  } else {
    std::printf("no match: closest is opening level %d, %u of %u pixels differ\n", closest, fewest,
                width * height);
  }
  return 1;
}
