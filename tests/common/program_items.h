// Items of a synthetic program file, each made from a rule per entry or
// per byte: shared by the tests that pack a program file of their own.
#pragma once
#include "demo/draw.h"

#include <cstdint>
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
