// The closing picture: the same sea after sunset, a credits card, and a
// last line.
#include <algorithm>
#include <cmath>

#include "content/pictures/pictures.h"

namespace content {
namespace {

constexpr float Horizon = 196;

void PaintTwilight(Canvas& c) {
  const std::vector<Stop> sky = {{0, Hex(0x040818)},   {60, Hex(0x0c1a3e)},  {120, Hex(0x233a6a)},
                                 {165, Hex(0x5a4a78)}, {185, Hex(0xc06a5a)}, {Horizon, Hex(0xf0a060)}};
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      Rgb col;
      if (float(y) < Horizon) {
        col = Ramp(sky, float(y) + 0.5f);
        float band = Fbm(float(x) / 80.0f, float(y) / 5.0f, 4, 41);
        float low = Smoothstep(140, 180, float(y)) * (1 - Smoothstep(186, Horizon, float(y)));
        col = Mix(col, Hex(0x3a2648), Smoothstep(0.5f, 0.72f, band) * low * 0.6f);
      } else {
        float depth = (float(y) - Horizon) / (float(c.height) - Horizon);
        col = Mix(Hex(0x4a3050), Hex(0x060814), depth);
        float ripple = Fbm(float(x) / 14.0f, float(y) / 1.5f, 3, 43);
        col = Mix(col, Hex(0xe89a64), Smoothstep(0.55f, 0.8f, ripple) * (1 - depth) * 0.5f);
      }
      c.At(x, y) = col;
    }
  }
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < c.width; ++x) {
      float h = Hash01(uint32_t(x), uint32_t(y), 77);
      if (h > 0.996f) {
        c.AddLight(x, y, Hex(0xe0e8ff), (0.3f + 0.7f * (h - 0.996f) / 0.004f) * (1 - Smoothstep(60, 150, float(y))));
      }
    }
  }
  // A headland with a lighthouse on the right, in silhouette.
  for (int x = 0; x < c.width; ++x) {
    float t = float(x) / float(c.width);
    // The shore runs down towards the viewer on the left of the headland.
    float top = Horizon - Smoothstep(0.62f, 0.9f, t) * (14 + 6 * Fbm(float(x) / 20.0f, 0, 3, 47)) + 1 +
                std::max(0.0f, 0.66f - t) * 420 + 6 * Fbm(float(x) / 9.0f, 3, 3, 49) * Smoothstep(0.75f, 0.5f, t);
    for (int y = int(top); y < c.height; ++y) {
      c.Blend(x, y, Hex(0x05060e), Clamp01(float(y) + 1 - top));
    }
  }
  const float lx = 272;
  const float base = Horizon - 17;
  for (int y = int(base - 26); y < int(base); ++y) {
    float k = (base - float(y)) / 26;
    float half = 3.5f - k * 1.3f;
    for (int x = int(lx - half - 1); x <= int(lx + half + 1); ++x) {
      float cover = Clamp01(half + 0.5f - std::fabs(float(x) + 0.5f - lx));
      c.Blend(x, y, Hex(0x05060e), cover);
    }
  }
  AddGlow(c, lx, base - 28, 10, Hex(0xffd890), 0.7f);
  // The beam sweeps left over the water.
  for (int y = 0; y < int(Horizon); ++y) {
    for (int x = 0; x < int(lx); ++x) {
      float dx = lx - float(x);
      float dy = (base - 28) - float(y);
      float angle = std::atan2(dy, dx);
      float beam = std::exp(-std::pow((angle - 0.06f) / 0.05f, 2.0f)) * Smoothstep(0, 40, dx) * (1 - dx / 300);
      c.AddLight(x, y, Hex(0xffe0a0), beam * 0.25f);
    }
  }
  DrawDisc(c, lx, base - 28, 2, 1, Hex(0xfff4d0), 1);
}

// Darkens a rounded panel so the credits read clearly over the sky.
void PaintPanel(Canvas& c, float x0, float y0, float x1, float y1, float radius) {
  for (int y = int(y0) - 2; y <= int(y1) + 2; ++y) {
    for (int x = int(x0) - 2; x <= int(x1) + 2; ++x) {
      float px = float(x) + 0.5f;
      float py = float(y) + 0.5f;
      float qx = std::max(std::fabs(px - (x0 + x1) / 2) - ((x1 - x0) / 2 - radius), 0.0f);
      float qy = std::max(std::fabs(py - (y0 + y1) / 2) - ((y1 - y0) / 2 - radius), 0.0f);
      float d = std::sqrt(qx * qx + qy * qy) - radius;
      float cover = Clamp01(0.5f - d);
      c.Blend(x, y, Hex(0x02030a), cover * 0.55f);
      if (std::fabs(d + 0.5f) < 0.7f) {
        c.Blend(x, y, Hex(0xc8a060), 0.35f);
      }
    }
  }
}

}  // namespace

Canvas PaintClosing(const Fonts& fonts) {
  Canvas c(ScreenWidth, ScreenHeight);
  PaintTwilight(c);
  PaintPanel(c, 34, 16, 286, 168, 8);

  TextStyle script{fonts.script, 36, 0};
  TextMask title = MakeText(script, "Quillwave 2k", 160, 50, 10);
  TitleLook gold{Hex(0xfff6d8), Hex(0xf5c35a), Hex(0xb8621e), Hex(0x1a0820), 1.0f, 0.8f, Hex(0xff9a50), 6, 0.35f,
                 1, 2, 0.4f};
  DrawTitle(c, title, gold, 24, 52);

  struct Credit {
    const char* role;
    const char* name;
  };
  const Credit credits[] = {
      {"CODE", "Orvalund"}, {"PICTURES", "Orvalund"}, {"MUSIC", "Orvalund"}, {"LETTERS", "URW base 35 type"}};
  TextStyle role{fonts.sans, 9, 1.8f};
  TextStyle name{fonts.serif_italic, 15, 0.3f};
  float baseline = 84;
  for (const Credit& cr : credits) {
    TextMask r = MakeText(role, cr.role, 140 - TextWidth(role, cr.role), baseline - 1, 2, false);
    PaintMask(c, r.mask, r.x, r.y, [](int, int) { return Hex(0x9fb0d8); }, 1);
    TextMask n = MakeText(name, cr.name, 150, baseline, 3, false);
    PaintMask(c, Blur(n.mask, 1), n.x + 1, n.y + 1, [](int, int) { return Hex(0x000000); }, 0.6f);
    PaintMask(c, n.mask, n.x, n.y, [](int, int) { return Hex(0xf6ead2); }, 1);
    baseline += 21;
  }
  for (int i = 0; i <= 200; ++i) {
    float t = float(i) / 200.0f;
    DrawLine(c, 100 + t * 120, 62, 100.7f + t * 120, 62, 0.2f + 0.9f * std::sin(t * 3.14159265f), Hex(0xd8a860), 0.8f);
  }

  TextStyle last{fonts.serif_italic, 15, 0.2f};
  TextMask line = MakeText(last, "Thank you for watching. The tide rolls on.", 160, 226, 6);
  PaintMask(c, Blur(Dilate(line.mask, 1), 2), line.x + 1, line.y + 1, [](int, int) { return Hex(0x000000); }, 0.8f);
  PaintMask(c, line.mask, line.x, line.y,
            [](int, int y) { return Mix(Hex(0xfff2d0), Hex(0xf0b070), Clamp01((float(y) - 214) / 14)); }, 1);
  return c;
}

}  // namespace content
