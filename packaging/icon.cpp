// The package's icon: the middle square of the opening picture (a palette
// item and a 320x240 picture item), each icon pixel the mean of the picture
// pixels it covers.
// Usage: qz_icon PALETTE PICTURE OUT.png
#include "content/lib/pngwrite.h"

#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t PictureWidth = 320;
constexpr uint32_t PictureHeight = 240;
constexpr uint32_t PaletteBytes = 1024;
constexpr uint32_t IconSize = 128;
constexpr uint32_t SquareLeft = (PictureWidth - PictureHeight) / 2;

struct Source {
  std::vector<uint8_t> palette;  // blue, green, red, 0
  std::vector<uint8_t> pixels;
};

bool ReadAll(const char* path, std::vector<uint8_t>& bytes, size_t size) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    return false;
  }
  bytes.resize(size + 1);
  size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  bytes.resize(size);
  return got == size;
}

void Row(uint32_t y, png_byte* row, const void* context) {
  const auto& s = *static_cast<const Source*>(context);
  uint32_t top = y * PictureHeight / IconSize;
  uint32_t bottom = (y + 1) * PictureHeight / IconSize;
  for (uint32_t x = 0; x < IconSize; x++) {
    uint32_t left = SquareLeft + x * PictureHeight / IconSize;
    uint32_t right = SquareLeft + (x + 1) * PictureHeight / IconSize;
    uint32_t sum[3] = {0, 0, 0};
    for (uint32_t py = top; py < bottom; py++) {
      for (uint32_t px = left; px < right; px++) {
        const uint8_t* entry = &s.palette[s.pixels[py * PictureWidth + px] * 4u];
        sum[0] += entry[2];
        sum[1] += entry[1];
        sum[2] += entry[0];
      }
    }
    uint32_t count = (bottom - top) * (right - left);
    for (int c = 0; c < 3; c++) {
      row[x * 3 + c] = static_cast<png_byte>((sum[c] + count / 2) / count);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: qz_icon PALETTE PICTURE OUT.png\n");
    return 2;
  }
  Source source;
  if (!ReadAll(argv[1], source.palette, PaletteBytes) ||
      !ReadAll(argv[2], source.pixels, PictureWidth * PictureHeight)) {
    std::fprintf(stderr, "qz_icon: %s and %s are not a palette and a 320x240 picture\n", argv[1], argv[2]);
    return 1;
  }
  std::string error;
  if (!content::WritePng(argv[3], content::PngFormat{IconSize, IconSize, nullptr, -1}, Row, &source, error)) {
    std::fprintf(stderr, "qz_icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
