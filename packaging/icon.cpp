// The program's icons, made from the middle square of the opening picture (a
// palette item and a 320x240 picture item): a 128-pixel PNG for the Debian
// package and, when asked, a Windows icon file with 16, 32, 48 and 256-pixel
// images for the Windows program, and for the web page's manifest 192 and
// 512-pixel PNGs with a maskable 512 one (the square within the middle 80%,
// the part every mask shape keeps, on black). Each icon pixel is the mean of
// the picture pixels it covers; at sizes above the square's 240 pixels, the
// one it lies on.
// Usage: qz_icon PALETTE PICTURE OUT.png [OUT.ico] [--web DIR]
#include "base/frame.h"
#include "content/lib/le_bytes.h"
#include "content/lib/pngwrite.h"
#include "platform/plat_bitmap.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t PictureWidth = FrameWidth;     // the opening picture's size
constexpr uint32_t PictureHeight = FrameHeight;
constexpr uint32_t PaletteBytes = 1024;
constexpr uint32_t PackageIconSize = 128;
constexpr uint32_t SquareLeft = (PictureWidth - PictureHeight) / 2;

// The Windows icon's images, smallest first. The largest is stored as PNG,
// as Windows has read that size since Vista; the others as 32-bit bitmaps,
// which every version reads.
constexpr uint32_t WindowsIconSizes[] = {16, 32, 48, 256};
constexpr uint32_t IconEntryBytes = 16;  // one image's entry in the directory
constexpr uint32_t IconBitCount = 32;

// The web page's icons: name, side, and the black border of a maskable one.
struct WebIcon {
  const char* name;
  uint32_t size;
  uint32_t border;
};
constexpr WebIcon WebIcons[] = {
    {"icon-192.png", 192, 0},
    {"icon-512.png", 512, 0},
    {"icon-maskable-512.png", 512, 51},
};

struct Source {
  std::vector<uint8_t> palette;  // blue, green, red, 0
  std::vector<uint8_t> pixels;
};

// One icon image being made: the picture, the image's side and the black
// border around the picture within it.
struct Request {
  const Source* source;
  uint32_t size;
  uint32_t border = 0;
};

bool ReadAll(const char* path, std::vector<uint8_t>& bytes, size_t size, bool exact) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    return false;
  }
  bytes.resize(size + 1);
  size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  bytes.resize(got < size ? got : size);
  return exact ? got == size : got <= size;
}

// The span of picture pixels that icon pixel i of `size` covers, from
// `first`: never empty.
void Span(uint32_t first, uint32_t i, uint32_t size, uint32_t& from, uint32_t& to) {
  from = first + i * PictureHeight / size;
  to = first + (i + 1) * PictureHeight / size;
  if (to == from) {
    to = from + 1;
  }
}

// Row y of the image, red, green and blue per pixel.
void Row(uint32_t y, png_byte* row, const void* context) {
  const auto& request = *static_cast<const Request*>(context);
  const Source& s = *request.source;
  uint32_t inner = request.size - 2 * request.border;
  uint32_t iy = y - request.border;
  for (uint32_t x = 0; x < request.size; x++) {
    uint32_t ix = x - request.border;
    if (y < request.border || x < request.border || iy >= inner || ix >= inner) {
      row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 0;
      continue;
    }
    uint32_t top = 0;
    uint32_t bottom = 0;
    Span(0, iy, inner, top, bottom);
    uint32_t left = 0;
    uint32_t right = 0;
    Span(SquareLeft, ix, inner, left, right);
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

// An icon's bitmap image: the header with twice the height (the colour rows,
// then the mask's), the rows bottom-up as blue, green, red and an opaque
// alpha, then an all-clear mask with rows padded to four bytes.
std::vector<uint8_t> BitmapImage(const Request& request) {
  uint32_t size = request.size;
  uint32_t maskRowBytes = (size + 31) / 32 * 4;
  uint32_t pixelBytes = size * size * 4 + maskRowBytes * size;
  std::vector<uint8_t> image;
  BytesPut32(image, BitmapHeaderSize);
  BytesPut32(image, size);
  BytesPut32(image, size * 2);
  BytesPut16(image, 1);  // planes
  BytesPut16(image, IconBitCount);
  BytesPut32(image, BI_RGB);
  BytesPut32(image, pixelBytes);
  for (int unused = 0; unused < 4; unused++) {
    BytesPut32(image, 0);  // resolution and colour counts
  }
  std::vector<png_byte> rgb(size * 3);
  for (uint32_t y = size; y-- > 0;) {
    Row(y, rgb.data(), &request);
    for (uint32_t x = 0; x < size; x++) {
      image.push_back(rgb[x * 3 + 2]);
      image.push_back(rgb[x * 3 + 1]);
      image.push_back(rgb[x * 3]);
      image.push_back(0xFF);
    }
  }
  image.resize(image.size() + maskRowBytes * size, 0);
  return image;
}

// The largest image as PNG bytes, through the one PNG writer and a file
// beside the icon's.
bool PngImage(const Request& request, const std::string& scratch, std::vector<uint8_t>& image,
              std::string& error) {
  if (!content::WritePng(scratch, content::PngFormat{request.size, request.size, nullptr, 9}, Row, &request,
                         error)) {
    return false;
  }
  constexpr size_t MostBytes = 1 << 20;
  bool read = ReadAll(scratch.c_str(), image, MostBytes, false);
  std::remove(scratch.c_str());
  if (!read || image.empty()) {
    error = "cannot read back " + scratch;
    return false;
  }
  return true;
}

// The icon file: its directory (one entry per image; 0 stands for 256 in
// the one-byte sizes), then the images in the same order.
bool WriteWindowsIcon(const Source& source, const std::string& path, std::string& error) {
  constexpr uint32_t Count = sizeof WindowsIconSizes / sizeof WindowsIconSizes[0];
  std::vector<uint8_t> images[Count];
  for (uint32_t i = 0; i < Count; i++) {
    Request request{&source, WindowsIconSizes[i]};
    if (i == Count - 1) {
      if (!PngImage(request, path + ".png", images[i], error)) {
        return false;
      }
    } else {
      images[i] = BitmapImage(request);
    }
  }
  std::vector<uint8_t> file;
  BytesPut16(file, 0);  // reserved
  BytesPut16(file, 1);  // an icon, not a cursor
  BytesPut16(file, Count);
  uint32_t offset = static_cast<uint32_t>(file.size()) + IconEntryBytes * Count;
  for (uint32_t i = 0; i < Count; i++) {
    uint8_t side = static_cast<uint8_t>(WindowsIconSizes[i] & 0xFF);
    file.push_back(side);
    file.push_back(side);
    file.push_back(0);  // not a palette image
    file.push_back(0);  // reserved
    BytesPut16(file, 1);     // planes
    BytesPut16(file, IconBitCount);
    BytesPut32(file, static_cast<uint32_t>(images[i].size()));
    BytesPut32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) {
    file.insert(file.end(), image.begin(), image.end());
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = "cannot write " + path;
    return false;
  }
  bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  written = std::fclose(f) == 0 && written;
  if (!written) {
    error = "cannot write " + path;
  }
  return written;
}

bool WriteWebIcons(const Source& source, const std::string& folder, std::string& error) {
  for (const WebIcon& icon : WebIcons) {
    Request request{&source, icon.size, icon.border};
    if (!content::WritePng(folder + "/" + icon.name, content::PngFormat{icon.size, icon.size, nullptr, 9}, Row,
                           &request, error)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* webFolder = nullptr;
  if (argc >= 6 && std::string(argv[argc - 2]) == "--web") {
    webFolder = argv[argc - 1];
    argc -= 2;
  }
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: qz_icon PALETTE PICTURE OUT.png [OUT.ico] [--web DIR]\n");
    return 2;
  }
  Source source;
  if (!ReadAll(argv[1], source.palette, PaletteBytes, true) ||
      !ReadAll(argv[2], source.pixels, PictureWidth * PictureHeight, true)) {
    std::fprintf(stderr, "qz_icon: %s and %s are not a palette and a 320x240 picture\n", argv[1], argv[2]);
    return 1;
  }
  std::string error;
  Request package{&source, PackageIconSize};
  if (!content::WritePng(argv[3], content::PngFormat{PackageIconSize, PackageIconSize, nullptr, -1}, Row, &package,
                         error) ||
      (argc == 5 && !WriteWindowsIcon(source, argv[4], error)) ||
      (webFolder != nullptr && !WriteWebIcons(source, webFolder, error))) {
    std::fprintf(stderr, "qz_icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
