// Reduces a true-colour picture to 256 colours: median cut for a first
// palette, then k-means refinement, both in the Oklab space so the colours
// go where the eye needs them (long smooth gradients get many steps), and an
// optional serpentine Floyd-Steinberg dither to hide the remaining steps.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "content/lib/canvas.h"

namespace content {

constexpr int PaletteEntries = 256;

struct Rgb8 {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb8&) const = default;
};

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::array<Rgb8, PaletteEntries> palette{};
  std::vector<uint8_t> pixels;  // top row first
};

struct QuantiseOptions {
  float dither = 0;        // 0 = nearest colour, 1 = full error diffusion
  int refine_passes = 8;   // k-means iterations after the median cut
};

IndexedImage Quantise(const Canvas& picture, const QuantiseOptions& options);

// Rounds a 0..1 colour to 8 bits per channel.
Rgb8 ToRgb8(Rgb c);

// Mean colour error (Oklab distance) between a picture and its reduction,
// for tests and for tuning.
double QuantiseError(const Canvas& picture, const IndexedImage& reduced);

}  // namespace content
