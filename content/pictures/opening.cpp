// The opening title: dusk over a calm sea, the sun on the horizon, three
// luminous wave strokes, and the title in gold script.
#include <cmath>

#include "content/pictures/pictures.h"

namespace content {
namespace {

constexpr float Horizon = 162;

void PaintSky(Canvas& c) {
  const std::vector<Stop> sky = {{0, Hex(0x05061a)},   {50, Hex(0x141040)},  {95, Hex(0x35215f)},
                                 {130, Hex(0x7a3470)}, {150, Hex(0xd0607a)}, {Horizon, Hex(0xffb27c)}};
  for (int y = 0; y < int(Horizon); ++y) {
    for (int x = 0; x < c.width; ++x) {
      Rgb col = Ramp(sky, float(y) + 0.5f);
      // Thin stretched clouds low in the sky catch the sun's colour.
      float band = Fbm(float(x) / 70.0f, float(y) / 6.0f, 4, 11);
      float low = Smoothstep(95, 150, float(y)) * (1 - Smoothstep(152, Horizon, float(y)));
      float cloud = Smoothstep(0.52f, 0.75f, band) * low;
      col = Mix(col, Hex(0xf08a8a), cloud * 0.45f);
      c.At(x, y) = col;
    }
  }
  // Stars, thinning towards the glow of the horizon.
  for (int y = 0; y < 130; ++y) {
    for (int x = 0; x < c.width; ++x) {
      float h = Hash01(uint32_t(x), uint32_t(y), 7);
      float fade = 1 - Smoothstep(40, 130, float(y));
      if (h > 0.9965f) {
        float b = (h - 0.9965f) / 0.0035f;
        c.AddLight(x, y, Hex(0xdfe6ff), (0.35f + 0.65f * b) * fade);
      }
    }
  }
  // A few bright stars with a soft halo.
  const float bright[][2] = {{34, 22}, {271, 15}, {228, 52}, {58, 71}, {300, 88}, {128, 12}};
  for (const auto& s : bright) {
    AddGlow(c, s[0], s[1], 2.2f, Hex(0xcfd8ff), 0.55f);
    c.AddLight(int(s[0]), int(s[1]), Hex(0xffffff), 1);
  }
}

void PaintSun(Canvas& c) {
  const float cx = 160;
  const float radius = 27;
  AddGlow(c, cx, Horizon, 70, Hex(0xff8a5a), 0.35f);
  AddGlow(c, cx, Horizon, 34, Hex(0xffc080), 0.45f);
  for (int y = int(Horizon - radius - 2); y < int(Horizon); ++y) {
    for (int x = int(cx - radius - 2); x <= int(cx + radius + 2); ++x) {
      float dx = float(x) + 0.5f - cx;
      float dy = float(y) + 0.5f - Horizon;
      float d = std::sqrt(dx * dx + dy * dy);
      float cover = 1 - Smoothstep(radius - 0.8f, radius + 0.8f, d);
      float t = Clamp01((Horizon - float(y)) / radius);
      // Bands cut through the low sun, as in a heat shimmer.
      float stripes = (t < 0.45f && std::fmod(Horizon - float(y), 6.0f - t * 8) < 1.4f) ? 0.55f : 0;
      Rgb col = Mix(Hex(0xff6a3c), Hex(0xffe7a0), t);
      c.Blend(x, y, col, cover * (1 - stripes));
    }
  }
}

void PaintSea(Canvas& c) {
  const std::vector<Stop> sea = {{Horizon, Hex(0x5a2a5a)}, {180, Hex(0x2a1d4c)}, {240, Hex(0x060818)}};
  for (int y = int(Horizon); y < c.height; ++y) {
    float depth = (float(y) - Horizon) / (float(c.height) - Horizon);
    for (int x = 0; x < c.width; ++x) {
      Rgb col = Ramp(sea, float(y) + 0.5f);
      // The sun's path on the water: broken horizontal glints.
      float spread = 18 + depth * 70;
      float across = std::fabs(float(x) + 0.5f - 160) / spread;
      float ripple = Fbm(float(x) / (9 + depth * 20), float(y) / (1.2f + depth * 2.5f), 3, 23);
      float glint = Smoothstep(0.45f, 0.75f, ripple) * std::exp(-across * across * 2);
      col = Mix(col, Mix(Hex(0xffd39a), Hex(0xff8060), depth), glint * (0.9f - depth * 0.5f));
      // Faint reflections of the sky's colour in the swell.
      float swell = Fbm(float(x) / 40.0f, float(y) / 3.0f, 3, 31);
      col = Mix(col, Hex(0x8a4a86), Smoothstep(0.6f, 0.85f, swell) * (1 - depth) * 0.35f);
      c.At(x, y) = col;
    }
  }
}

// Three calligraphic strokes riding over the water: the wave of the title.
void PaintWaves(Canvas& c) {
  struct Stroke {
    float base, amp, freq, phase, width;
    uint32_t colour;
    float alpha;
  };
  const Stroke strokes[] = {{205, 9, 0.030f, 0.3f, 1.6f, 0x5fe0ff, 0.85f},
                            {214, 7, 0.026f, 1.9f, 1.2f, 0x9a8cff, 0.7f},
                            {222, 6, 0.036f, 3.6f, 0.9f, 0xff9ad0, 0.6f}};
  for (const Stroke& s : strokes) {
    Mask m(c.width, c.height);
    for (int step = 0; step <= c.width * 4; ++step) {
      float x = float(step) / 4.0f;
      float t = x / float(c.width);
      // Thicker in the middle like a pen stroke, tapering at both ends.
      float w = s.width * (0.25f + 0.75f * std::sin(t * 3.14159265f));
      float y = s.base + s.amp * std::sin(x * s.freq + s.phase) * (0.6f + 0.4f * std::sin(t * 6.2831853f + s.phase));
      for (int yy = int(y - w - 2); yy <= int(y + w + 2); ++yy) {
        float d = std::fabs(float(yy) + 0.5f - y);
        int xi = int(x);
        if (yy >= 0 && yy < c.height && xi < c.width) {
          m.At(xi, yy) = std::max(m.At(xi, yy), Clamp01(w + 0.5f - d));
        }
      }
    }
    LightMask(c, Blur(m, 8), 0, 0, Hex(s.colour), 0.55f * s.alpha);
    LightMask(c, m, 0, 0, Mix(Hex(s.colour), Hex(0xffffff), 0.4f), s.alpha);
  }
}

}  // namespace

Canvas PaintOpening(const Fonts& fonts) {
  Canvas c(ScreenWidth, ScreenHeight);
  PaintSky(c);
  PaintSun(c);
  PaintSea(c);
  PaintWaves(c);

  TextStyle script{fonts.script, 66, 0};
  const float title_centre = 146;
  TextMask title = MakeText(script, "Quillwave", title_centre, 96, 14);
  TitleLook gold{Hex(0xfff6d8), Hex(0xf5c35a), Hex(0xb8621e), Hex(0x1a0820), 1.3f, 0.9f, Hex(0xff9a50), 9, 0.55f,
                 2, 3, 0.45f};
  DrawTitle(c, title, gold, 50, 100);

  TextStyle two{fonts.sans_demi, 24, 1};
  float title_right = title_centre + TextWidth(script, "Quillwave") / 2;
  TextMask twok = MakeText(two, "2k", title_right + 6, 84, 10, false);
  TitleLook steel{Hex(0xffffff), Hex(0xbfe9ff), Hex(0x4aa6e0), Hex(0x0a0a28), 1.1f, 0.9f, Hex(0x60c8ff), 6, 0.5f,
                  1, 2, 0.4f};
  DrawTitle(c, twok, steel, 64, 85);

  // A pen flourish under the title.
  for (int i = 0; i <= 400; ++i) {
    float t = float(i) / 400.0f;
    float x = 70 + t * 180;
    float y = 108 + 3.5f * std::sin(t * 6.2831853f) * (1 - t);
    float w = 0.4f + 1.4f * std::sin(t * 3.14159265f);
    DrawLine(c, x, y, x + 0.45f, y, w, Mix(Hex(0xffe6a8), Hex(0xd08a3a), t), 0.9f);
  }

  TextStyle by{fonts.sans, 13, 2.5f};
  TextMask credit = MakeText(by, "by Orvalund", 160, 130, 6);
  PaintMask(c, Blur(Dilate(credit.mask, 1), 2), credit.x + 1, credit.y + 1, [](int, int) { return Hex(0x120618); }, 0.7f);
  PaintMask(c, credit.mask, credit.x, credit.y, [](int, int) { return Hex(0xf4e8ff); }, 1);
  return c;
}

}  // namespace content
