// Screen images read back from the X server, as binary PPM files with 8-bit
// channels: shared by the programs that check what a real run showed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// Sides beyond this are taken for a broken header.
constexpr uint32_t PpmLargestSide = 99999;

// The next number of a PPM header, skipping white space and comments.
inline bool PpmHeaderNumber(FILE* file, uint32_t& value) {
  int c = std::fgetc(file);
  while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
    if (c == '#') {
      while (c != '\n' && c != EOF) {
        c = std::fgetc(file);
      }
    }
    c = std::fgetc(file);
  }
  if (c < '0' || c > '9') {
    return false;
  }
  value = 0;
  while (c >= '0' && c <= '9' && value <= PpmLargestSide) {
    value = value * 10 + static_cast<uint32_t>(c - '0');
    c = std::fgetc(file);
  }
  return true;  // the one white-space byte after the number is consumed
}

// Reads the image into 0x00RRGGBB values, rows top-down.
inline bool PpmRead(const char* path, std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return false;
  }
  uint32_t maximum = 0;
  bool ok = std::fgetc(file) == 'P' && std::fgetc(file) == '6' && PpmHeaderNumber(file, width) &&
            PpmHeaderNumber(file, height) && PpmHeaderNumber(file, maximum) && maximum == 255 &&
            width > 0 && width <= PpmLargestSide && height > 0 && height <= PpmLargestSide;
  std::vector<unsigned char> bytes(ok ? static_cast<size_t>(width) * height * 3 : 0);
  ok = ok && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  std::fclose(file);
  pixels.resize(bytes.size() / 3);
  for (size_t i = 0; ok && i < pixels.size(); i++) {
    pixels[i] = uint32_t{bytes[i * 3]} << 16 | uint32_t{bytes[i * 3 + 1]} << 8 | bytes[i * 3 + 2];
  }
  return ok;
}
