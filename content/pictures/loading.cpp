// The loading picture: a quiet emblem on a dark field, shown at once while
// the rest of the content is decoded.
#include <cmath>

#include "content/pictures/pictures.h"

namespace content {

Canvas PaintLoading(const Fonts& fonts) {
  Canvas c(ScreenWidth, ScreenHeight);
  const float cx = 160;
  const float cy = 100;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      float dx = (float(x) + 0.5f - cx) / 220;
      float dy = (float(y) + 0.5f - cy) / 180;
      float d = std::sqrt(dx * dx + dy * dy);
      Rgb col = Ramp({{0, Hex(0x1d2446)}, {0.45f, Hex(0x0e1228)}, {1.0f, Hex(0x030409)}}, d);
      // A very faint grain keeps the large dark areas from banding.
      float grain = Fbm(float(x) / 3.0f, float(y) / 3.0f, 2, 5) - 0.5f;
      c.At(x, y) = col + Rgb{grain, grain, grain} * 0.02f;
    }
  }

  // The emblem: a gold ring with a wave running through it.
  const float ring = 34;
  AddGlow(c, cx, cy, 40, Hex(0x3050a0), 0.35f);
  for (int i = 0; i < 720; ++i) {
    float a0 = float(i) / 720 * 6.2831853f;
    float a1 = float(i + 1) / 720 * 6.2831853f;
    // The ring is drawn like a pen stroke: broad at the sides, thin on top.
    float w = 1.0f + 1.6f * std::fabs(std::cos(a0 - 0.6f));
    Rgb col = Mix(Hex(0xffe2a0), Hex(0xb86e2a), 0.5f + 0.5f * std::sin(a0));
    DrawLine(c, cx + ring * std::cos(a0), cy + ring * std::sin(a0), cx + ring * std::cos(a1), cy + ring * std::sin(a1),
             w, col, 0.9f);
  }
  for (int i = 0; i < 400; ++i) {
    float t0 = float(i) / 400;
    float t1 = float(i + 1) / 400;
    auto wave = [&](float t) { return cy + 9 * std::sin(t * 6.2831853f * 1.5f) * std::sin(t * 3.14159265f); };
    float x0 = cx - ring * 1.5f + t0 * ring * 3;
    float x1 = cx - ring * 1.5f + t1 * ring * 3;
    float w = 0.3f + 1.7f * std::sin(t0 * 3.14159265f);
    DrawLine(c, x0, wave(t0), x1, wave(t1), w, Mix(Hex(0x7ae8ff), Hex(0xc8a0ff), t0), 0.95f);
  }
  AddGlow(c, cx, cy, 14, Hex(0x60c8ff), 0.18f);

  TextStyle name{fonts.serif, 22, 3};
  TextMask title = MakeText(name, "ORVALUND", cx, 172, 8);
  TitleLook look{Hex(0xf8f0e0), Hex(0xe8cc90), Hex(0xa8783c), Hex(0x000000), 1, 0.6f, Hex(0x506090), 5, 0.35f,
                 1, 1, 0.5f};
  DrawTitle(c, title, look, 155, 173);

  TextStyle small{fonts.sans, 10, 4};
  TextMask loading = MakeText(small, "loading", cx, 200, 2);
  PaintMask(c, loading.mask, loading.x, loading.y, [](int, int) { return Hex(0x8c98c8); }, 1);
  for (int i = 0; i < 3; ++i) {
    DrawDisc(c, cx - 8 + float(i) * 8, 212, 1.3f, 1, Mix(Hex(0x8c98c8), Hex(0x303a68), float(i) / 2), 1);
  }
  return c;
}

}  // namespace content
