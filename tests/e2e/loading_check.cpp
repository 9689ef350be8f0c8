// Compares the top-left 320 x 240 pixels of a screenshot (binary PPM) with
// the loading picture of a program file, expanded through its palette.
// Usage: qz_loading_check PROGRAM-FILE SCREEN.ppm
// Exit status 0 when every pixel matches, 1 otherwise, 2 on bad input.
#include "archive/archive.h"
#include "base/names.h"
#include "demo/draw.h"
#include "tests/common/ppm.h"

#include <cstdio>
#include <vector>

namespace {


}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qz_loading_check PROGRAM-FILE SCREEN.ppm\n");
    return 2;
  }
  static uint32_t palette[PaletteEntries];
  static uint8_t picture[FramePixels];
  if (!ArchiveOpen(argv[1]) || !ArchiveReadCoded(ItemLoadingPalette, palette, sizeof palette) ||
      !ArchiveReadCoded(ItemLoadingPicture, picture, sizeof picture)) {
    std::fprintf(stderr, "%s: no loading picture\n", argv[1]);
    return 2;
  }
  ArchiveClose();

  std::vector<uint32_t> screen;
  uint32_t width = 0;
  uint32_t height = 0;
  if (!PpmRead(argv[2], screen, width, height) || width < FrameWidth || height < FrameHeight) {
    std::fprintf(stderr, "%s: not a binary PPM of at least 320 x 240\n", argv[2]);
    return 2;
  }

  uint32_t wrong = 0;
  for (uint32_t y = 0; y < FrameHeight; y++) {
    for (uint32_t x = 0; x < FrameWidth; x++) {
      uint32_t want = palette[picture[y * FrameWidth + x]];
      uint32_t have = screen[static_cast<size_t>(y) * width + x];
      if (have != (want & 0x00FFFFFF)) {
        wrong++;
      }
    }
  }
  std::printf("loading picture: %u of %u pixels differ\n", wrong, FramePixels);
  return wrong == 0 ? 0 : 1;
}
