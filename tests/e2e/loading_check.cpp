// Compares the top-left 320 x 240 pixels of a screenshot (binary PPM) with
// the loading picture of a program file, expanded through its palette.
// Usage: qz_loading_check PROGRAM-FILE SCREEN.ppm
// Exit status 0 when every pixel matches, 1 otherwise, 2 on bad input.
#include "archive/archive.h"
#include "demo/draw.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t LoadingPaletteItem = 8;
constexpr uint32_t LoadingPictureItem = 9;

bool ReadNumber(FILE* f, int* out) {
  int c = std::fgetc(f);
  while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '#') {
    if (c == '#') {
      while (c != '\n' && c != EOF) {
        c = std::fgetc(f);
      }
    }
    c = std::fgetc(f);
  }
  int n = 0;
  bool any = false;
  while (c >= '0' && c <= '9') {
    n = n * 10 + (c - '0');
    any = true;
    c = std::fgetc(f);
  }
  *out = n;
  return any && n > 0 && n < 100000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qz_loading_check PROGRAM-FILE SCREEN.ppm\n");
    return 2;
  }
  static uint32_t palette[PaletteEntries];
  static uint8_t picture[FramePixels];
  if (!ArchiveOpen(argv[1]) || !ArchiveReadCoded(LoadingPaletteItem, palette, sizeof palette) ||
      !ArchiveReadCoded(LoadingPictureItem, picture, sizeof picture)) {
    std::fprintf(stderr, "%s: no loading picture\n", argv[1]);
    return 2;
  }
  ArchiveClose();

  FILE* f = std::fopen(argv[2], "rb");
  char magic[3] = {};
  int width = 0;
  int height = 0;
  int maxValue = 0;
  if (f == nullptr || std::fread(magic, 1, 2, f) != 2 || std::strcmp(magic, "P6") != 0 ||
      !ReadNumber(f, &width) || !ReadNumber(f, &height) || !ReadNumber(f, &maxValue) ||
      maxValue != 255 || width < static_cast<int>(FrameWidth) || height < static_cast<int>(FrameHeight)) {
    std::fprintf(stderr, "%s: not a binary PPM of at least 320 x 240\n", argv[2]);
    return 2;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  if (std::fread(rgb.data(), 1, rgb.size(), f) != rgb.size()) {
    std::fprintf(stderr, "%s: short\n", argv[2]);
    return 2;
  }
  std::fclose(f);

  uint32_t wrong = 0;
  for (uint32_t y = 0; y < FrameHeight; y++) {
    for (uint32_t x = 0; x < FrameWidth; x++) {
      uint32_t want = palette[picture[y * FrameWidth + x]];
      const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      uint32_t have = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      if (have != (want & 0x00FFFFFF)) {
        wrong++;
      }
    }
  }
  std::printf("loading picture: %u of %u pixels differ\n", wrong, FramePixels);
  return wrong == 0 ? 0 : 1;
}
