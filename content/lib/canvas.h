// A true-colour drawing surface for the content generators: colours are
// floats in 0..1 (sRGB-encoded, as they will be stored), so gradients can be
// designed smoothly and reduced to a 256-colour palette only at the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace content {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b);
Rgb operator-(Rgb a, Rgb b);
Rgb operator*(Rgb a, float k);
Rgb Mix(Rgb a, Rgb b, float t);
// A colour from 0xRRGGBB.
Rgb Hex(uint32_t rrggbb);

float Clamp01(float v);
float Smoothstep(float edge0, float edge1, float v);

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Canvas(int w, int h);
  Rgb& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  // Blends `colour` over the pixel with coverage `alpha`; outside is ignored.
  void Blend(int x, int y, Rgb colour, float alpha);
  // Adds light (screen-like, never past white).
  void AddLight(int x, int y, Rgb colour, float amount);
};

// A coverage mask (0..1) of the same shape as a canvas region.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> alpha;

  Mask(int w, int h);
  float& At(int x, int y) { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
  float At(int x, int y) const { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
  // Coverage outside the mask is 0.
  float Get(int x, int y) const;
};

// Three box passes approximate a gaussian of the given radius.
Mask Blur(const Mask& m, int radius);
// Grows the covered area by `radius` pixels (round pen).
Mask Dilate(const Mask& m, float radius);

// Deterministic hash noise: integer hash to 0..1, value noise and fbm.
float Hash01(uint32_t x, uint32_t y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, int octaves, uint32_t seed);

// Soft anti-aliased line segment of the given width.
void DrawLine(Canvas& c, float x0, float y0, float x1, float y1, float width, Rgb colour, float alpha);
// Soft disc (edge softness in pixels).
void DrawDisc(Canvas& c, float cx, float cy, float radius, float soft, Rgb colour, float alpha);
// A radial glow of light added around a point.
void AddGlow(Canvas& c, float cx, float cy, float radius, Rgb colour, float strength);

}  // namespace content
