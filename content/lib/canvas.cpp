#include "content/lib/canvas.h"

#include <algorithm>
#include <cmath>

namespace content {

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb Mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }

Rgb Hex(uint32_t v) {
  return {float((v >> 16) & 0xFF) / 255.0f, float((v >> 8) & 0xFF) / 255.0f, float(v & 0xFF) / 255.0f};
}

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float Smoothstep(float e0, float e1, float v) {
  float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

Canvas::Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}

void Canvas::Blend(int x, int y, Rgb colour, float alpha) {
  if (x < 0 || y < 0 || x >= width || y >= height || alpha <= 0) {
    return;
  }
  Rgb& p = At(x, y);
  p = Mix(p, colour, std::min(alpha, 1.0f));
}

void Canvas::AddLight(int x, int y, Rgb colour, float amount) {
  if (x < 0 || y < 0 || x >= width || y >= height || amount <= 0) {
    return;
  }
  Rgb& p = At(x, y);
  // Screen blend: light accumulates but saturates softly at white.
  p.r = 1 - (1 - p.r) * (1 - Clamp01(colour.r * amount));
  p.g = 1 - (1 - p.g) * (1 - Clamp01(colour.g * amount));
  p.b = 1 - (1 - p.b) * (1 - Clamp01(colour.b * amount));
}

Mask::Mask(int w, int h) : width(w), height(h), alpha(size_t(w) * size_t(h), 0.0f) {}

float Mask::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) {
    return 0;
  }
  return At(x, y);
}

namespace {

// One horizontal or vertical running-sum box pass.
void BoxPass(const Mask& in, Mask& out, int radius, bool horizontal) {
  int n = horizontal ? in.width : in.height;
  int lines = horizontal ? in.height : in.width;
  float norm = 1.0f / float(2 * radius + 1);
  for (int l = 0; l < lines; ++l) {
    auto get = [&](int i) { return horizontal ? in.Get(i, l) : in.Get(l, i); };
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
      sum += get(i);
    }
    for (int i = 0; i < n; ++i) {
      (horizontal ? out.At(i, l) : out.At(l, i)) = sum * norm;
      sum += get(i + radius + 1) - get(i - radius);
    }
  }
}

}  // namespace

Mask Blur(const Mask& m, int radius) {
  if (radius <= 0) {
    return m;
  }
  Mask a = m;
  Mask b(m.width, m.height);
  int r = std::max(1, radius / 2);
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(a, b, r, true);
    BoxPass(b, a, r, false);
  }
  return a;
}

Mask Dilate(const Mask& m, float radius) {
  Mask out(m.width, m.height);
  int r = int(std::ceil(radius));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          float d = std::sqrt(float(dx * dx + dy * dy));
          float weight = Clamp01(radius + 0.5f - d);
          best = std::max(best, m.Get(x + dx, y + dy) * weight);
        }
      }
      out.At(x, y) = best;
    }
  }
  return out;
}

float Hash01(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return float(h >> 8) / float(1u << 24);
}

float ValueNoise(float x, float y, uint32_t seed) {
  float fx = std::floor(x);
  float fy = std::floor(y);
  int ix = int(fx);
  int iy = int(fy);
  float tx = x - fx;
  float ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  float a = Hash01(uint32_t(ix), uint32_t(iy), seed);
  float b = Hash01(uint32_t(ix + 1), uint32_t(iy), seed);
  float c = Hash01(uint32_t(ix), uint32_t(iy + 1), seed);
  float d = Hash01(uint32_t(ix + 1), uint32_t(iy + 1), seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0;
  float amp = 0.5f;
  float norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += ValueNoise(x, y, seed + uint32_t(i) * 101u) * amp;
    norm += amp;
    x = x * 2.03f + 17.1f;
    y = y * 2.03f + 5.3f;
    amp *= 0.5f;
  }
  return sum / norm;
}

void DrawLine(Canvas& c, float x0, float y0, float x1, float y1, float width, Rgb colour, float alpha) {
  float half = width * 0.5f;
  int minx = int(std::floor(std::min(x0, x1) - half - 1));
  int maxx = int(std::ceil(std::max(x0, x1) + half + 1));
  int miny = int(std::floor(std::min(y0, y1) - half - 1));
  int maxy = int(std::ceil(std::max(y0, y1) + half + 1));
  float dx = x1 - x0;
  float dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  for (int y = miny; y <= maxy; ++y) {
    for (int x = minx; x <= maxx; ++x) {
      float px = float(x) + 0.5f - x0;
      float py = float(y) + 0.5f - y0;
      float t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0;
      float ex = px - dx * t;
      float ey = py - dy * t;
      float d = std::sqrt(ex * ex + ey * ey);
      float cover = Clamp01(half + 0.5f - d);
      c.Blend(x, y, colour, cover * alpha);
    }
  }
}

void DrawDisc(Canvas& c, float cx, float cy, float radius, float soft, Rgb colour, float alpha) {
  int r = int(std::ceil(radius + soft + 1));
  for (int y = int(cy) - r; y <= int(cy) + r; ++y) {
    for (int x = int(cx) - r; x <= int(cx) + r; ++x) {
      float dx = float(x) + 0.5f - cx;
      float dy = float(y) + 0.5f - cy;
      float d = std::sqrt(dx * dx + dy * dy);
      float cover = 1 - Smoothstep(radius - soft * 0.5f - 0.5f, radius + soft * 0.5f + 0.5f, d);
      c.Blend(x, y, colour, cover * alpha);
    }
  }
}

void AddGlow(Canvas& c, float cx, float cy, float radius, Rgb colour, float strength) {
  int r = int(std::ceil(radius * 3));
  for (int y = std::max(0, int(cy) - r); y <= std::min(c.height - 1, int(cy) + r); ++y) {
    for (int x = std::max(0, int(cx) - r); x <= std::min(c.width - 1, int(cx) + r); ++x) {
      float dx = (float(x) + 0.5f - cx) / radius;
      float dy = (float(y) + 0.5f - cy) / radius;
      float fall = std::exp(-(dx * dx + dy * dy));
      c.AddLight(x, y, colour, fall * strength);
    }
  }
}

}  // namespace content
