#include "content/lib/pngwrite.h"

#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace content {

void PngKeepError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void PngIgnoreWarning(png_structp, png_const_charp) {}

namespace {

// The writes themselves. libpng reports an error by jumping back to the
// setjmp here, which then returns false; nothing here changes after it.
bool WriteRows(png_structp png, png_infop info, std::FILE* file, const PngFormat& format, PngRowSource source,
               const void* context, png_byte* row) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  bool indexed = format.palette != nullptr;
  png_init_io(png, file);
  png_set_IHDR(png, info, format.width, format.height, 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) {
    png_set_PLTE(png, info, format.palette, 256);
  }
  if (format.compressionLevel >= 0) {
    png_set_compression_level(png, format.compressionLevel);
  }
  png_write_info(png, info);
  for (uint32_t y = 0; y < format.height; y++) {
    source(y, row, context);
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, const PngFormat& format, PngRowSource source, const void* context,
              std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string message;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, PngKeepError, PngIgnoreWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(format.width) * (format.palette != nullptr ? 1 : 3));
  errno = 0;
  bool ok = info != nullptr && WriteRows(png, info, file, format, source, context, row.data());
  int why = ok ? 0 : errno;  // libpng's "Write Error" does not say why
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  if (std::fclose(file) != 0) {
    why = errno;  // a full disk shows here, when the last buffer is written
    ok = false;
  }
  if (!ok) {
    error = message.empty() ? "cannot write " + path : path + ": " + message;
    if (why != 0) {
      error += std::string(": ") + std::strerror(why);
    }
  }
  return ok;
}

}  // namespace content
