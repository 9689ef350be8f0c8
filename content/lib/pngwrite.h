// The one PNG writer: 8-bit RGB or indexed pictures, row by row, through
// libpng. The content build writes its indexed pictures with it, qzcapture
// its frames.
#pragma once
#include <png.h>

#include <cstdint>
#include <string>

namespace content {

struct PngFormat {
  uint32_t width;
  uint32_t height;
  const png_color* palette;  // 256 entries for an indexed picture; null for RGB
  int compressionLevel;      // zlib's 0 to 9, or -1 for libpng's default
};

// Fills `row` with row y: width bytes (indexed) or width x 3 bytes (RGB).
using PngRowSource = void (*)(uint32_t y, png_byte* row, const void* context);

// On failure returns false and sets `error` to a one-line reason.
bool WritePng(const std::string& path, const PngFormat& format, PngRowSource source, const void* context,
              std::string& error);

// libpng's error and warning handlers for a png_struct whose error pointer
// is a std::string: the message is kept, then libpng jumps back.
void PngKeepError(png_structp png, png_const_charp message);
void PngIgnoreWarning(png_structp png, png_const_charp message);

}  // namespace content
