#include "content/lib/pngio.h"

#include "content/lib/pngwrite.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace content {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool ReadPng(const std::string& path, PngPicture& out, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  unsigned char signature[8] = {};
  if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    error = path + " is not a PNG file";
    return false;
  }
  std::string png_message;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &png_message, PngKeepError, PngIgnoreWarning);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  std::vector<uint8_t> data;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": " + png_message;
    return false;
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  int colour_type = png_get_color_type(png, info);
  int depth = png_get_bit_depth(png, info);
  bool indexed = colour_type == PNG_COLOR_TYPE_PALETTE;
  if (indexed) {
    png_set_packing(png);  // 1, 2 and 4-bit indices become one byte each
  } else {
    if (depth == 16) {
      png_set_strip_16(png);
    }
    if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
      if (depth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
      }
      png_set_gray_to_rgb(png);
    }
    // Transparency is dropped: the archive's pictures have no alpha.
    png_set_strip_alpha(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  size_t row_bytes = png_get_rowbytes(png, info);
  data.resize(row_bytes * height);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    rows[y] = data.data() + y * row_bytes;
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);

  out = PngPicture{};
  out.indexed = indexed;
  if (indexed) {
    png_colorp plte = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &plte, &count);
    out.image.width = int(width);
    out.image.height = int(height);
    for (int i = 0; i < count && i < PaletteEntries; ++i) {
      out.image.palette[size_t(i)] = {plte[i].red, plte[i].green, plte[i].blue};
    }
    out.image.pixels = std::move(data);
  } else {
    out.colour = Canvas(int(width), int(height));
    for (png_uint_32 y = 0; y < height; ++y) {
      for (png_uint_32 x = 0; x < width; ++x) {
        const uint8_t* p = rows[y] + x * 3;
        out.colour.At(int(x), int(y)) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
      }
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool WriteIndexedPng(const std::string& path, const IndexedImage& image, std::string& error) {
  png_color plte[PaletteEntries];
  for (int i = 0; i < PaletteEntries; ++i) {
    plte[i] = {image.palette[size_t(i)].r, image.palette[size_t(i)].g, image.palette[size_t(i)].b};
  }
  auto rows = [](uint32_t y, png_byte* row, const void* context) {
    const auto& picture = *static_cast<const IndexedImage*>(context);
    const uint8_t* from = picture.pixels.data() + size_t(y) * size_t(picture.width);
    std::copy(from, from + picture.width, row);
  };
  return WritePng(path, PngFormat{png_uint_32(image.width), png_uint_32(image.height), plte, 9}, rows, &image, error);
}

std::vector<uint8_t> PaletteItem(const IndexedImage& image) {
  std::vector<uint8_t> out;
  out.reserve(PaletteItemBytes);
  for (const Rgb8& c : image.palette) {
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
  return out;
}

bool ReadPaletteItem(const std::vector<uint8_t>& bytes, IndexedImage& image, std::string& error) {
  if (bytes.size() != PaletteItemBytes) {
    error = "a palette is " + std::to_string(PaletteItemBytes) + " bytes, not " + std::to_string(bytes.size());
    return false;
  }
  for (size_t i = 0; i < size_t(PaletteEntries); ++i) {
    image.palette[i] = {bytes[i * 4 + 2], bytes[i * 4 + 1], bytes[i * 4]};
  }
  return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  out.clear();
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    out.insert(out.end(), buffer, buffer + n);
  }
  if (std::ferror(file.get())) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool WritePictureItems(const std::string& dir, const std::string& name, const IndexedImage& image) {
  std::string error;
  std::string base = dir + "/" + name;
  if (!WriteFile(base + ".pal", PaletteItem(image), error) || !WriteFile(base + ".pix", image.pixels, error) ||
      !WriteIndexedPng(base + ".png", image, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace content
