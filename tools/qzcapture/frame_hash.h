// The hash the capture tool lists for each frame: 64-bit FNV-1a over the
// frame's bytes as they lie in memory. Header only, so a test that decodes
// the video computes the same value.
#pragma once
#include "tools/qzcapture/render.h"

#include <cstddef>
#include <cstdint>

inline uint64_t CaptureFrameHash(const uint32_t* frame) {
  uint64_t h = 0xCBF29CE484222325ULL;
  const auto* bytes = reinterpret_cast<const uint8_t*>(frame);
  for (size_t i = 0; i < FrameWidth * FrameHeight * sizeof(uint32_t); i++) {
    h = (h ^ bytes[i]) * 0x100000001B3ULL;
  }
  return h;
}
