// Items of a synthetic program file, each made from a rule per entry or
// per byte, and the file itself: shared by the tests that pack a program
// file of their own (they link qz_packlib).
#pragma once
#include "demo/draw.h"
#include "tools/packlib/packlib.h"

#include <cstdint>
#include <string>
#include <vector>

// A palette item: every entry as four bytes, lowest byte first.
inline std::vector<uint8_t> PaletteBytes(uint32_t (*entry)(uint32_t)) {
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < PaletteEntries; i++) {
    uint32_t v = entry(i);
    for (int b = 0; b < 4; b++) {
      bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
  }
  return bytes;
}

// `count` bytes, byte i being index(i): a picture, or any other item.
inline std::vector<uint8_t> PictureBytes(uint8_t (*index)(uint32_t), uint32_t count) {
  std::vector<uint8_t> bytes(count);
  for (uint32_t i = 0; i < count; i++) {
    bytes[i] = index(i);
  }
  return bytes;
}

// Writes a program file at `path`: a small image, then `contents` as items
// 1, 2, ... in order. False, with `error` set, when packing or writing fails.
inline bool WriteProgramFile(const std::string& path, const std::vector<std::vector<uint8_t>>& contents,
                             std::string& error) {
  std::vector<PackItem> items;
  for (size_t i = 0; i < contents.size(); i++) {
    PackItem item;
    item.name = "item" + std::to_string(i + 1) + ".da~";
    if (!PackEncode(contents[i], item.stored, error)) {
      return false;
    }
    items.push_back(item);
  }
  std::vector<uint8_t> file;
  return PackBuildArchive(std::vector<uint8_t>(4000, 0x90), items, file, error) && PackWriteFile(path, file, error);
}
