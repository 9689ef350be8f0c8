// PNG files in and out (libpng), and the two picture items of the archive:
// a Palette item (256 entries of blue, green, red, 0) and an IndexedPicture
// item (one byte per pixel, top row first).
#pragma once
#include <string>
#include <vector>

#include "content/lib/quantise.h"

namespace content {

constexpr size_t PaletteItemBytes = PaletteEntries * 4;

// A PNG as read: indexed pictures keep their palette and indices; anything
// else comes back in true colour (alpha dropped, 16 bits reduced to 8).
struct PngPicture {
  bool indexed = false;
  IndexedImage image;      // when indexed
  Canvas colour{0, 0};     // when not
};

// On failure returns false and sets `error` to a one-line reason.
bool ReadPng(const std::string& path, PngPicture& out, std::string& error);
bool WriteIndexedPng(const std::string& path, const IndexedImage& image, std::string& error);

std::vector<uint8_t> PaletteItem(const IndexedImage& image);
// Fills image.palette from a 1,024-byte Palette item.
bool ReadPaletteItem(const std::vector<uint8_t>& bytes, IndexedImage& image, std::string& error);

bool ReadFile(const std::string& path, std::vector<uint8_t>& out, std::string& error);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Writes NAME.pal, NAME.pix and NAME.png into `dir`.
bool WritePictureItems(const std::string& dir, const std::string& name, const IndexedImage& image);

}  // namespace content
