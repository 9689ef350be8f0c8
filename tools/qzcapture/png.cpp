// PNG files through libpng.
#include "tools/qzcapture/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

bool WritePng(const std::string& path, const uint32_t* frame, uint32_t width, uint32_t height, uint32_t scale,
              std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  uint32_t outWidth = width * scale;
  std::vector<png_byte> row(static_cast<size_t>(outWidth) * 3);
  bool ok = info != nullptr;
  // libpng reports its errors by jumping back here; nothing with a
  // destructor is made between here and the end of the writes.
  if (ok && setjmp(png_jmpbuf(png)) != 0) {
    ok = false;
  } else if (ok) {
    png_init_io(png, file);
    png_set_IHDR(png, info, outWidth, height * scale, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; y++) {
      const uint32_t* source = frame + static_cast<size_t>(y) * width;
      for (uint32_t x = 0; x < outWidth; x++) {
        uint32_t v = source[x / scale];
        row[3 * x] = static_cast<png_byte>(v >> 16);
        row[3 * x + 1] = static_cast<png_byte>(v >> 8);
        row[3 * x + 2] = static_cast<png_byte>(v);
      }
      for (uint32_t repeat = 0; repeat < scale; repeat++) {
        png_write_row(png, row.data());
      }
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    error = "cannot write " + path;
  }
  return ok;
}
