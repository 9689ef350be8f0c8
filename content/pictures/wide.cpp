// The scroller's panorama: one day along a coast, read left to right. Dawn
// breaks over islands, the day climbs past mountains and sails, the sun sets
// behind a harbour town, and night falls on a lighthouse under the moon. A
// line of text rides across the sky.
#include <algorithm>
#include <cmath>
#include <vector>

#include "content/pictures/pictures.h"

namespace content {
namespace {

constexpr float Horizon = 166;
constexpr float Pi = 3.14159265f;

// The sky at one time of day: zenith, middle and horizon colours.
struct SkyKey {
  float at;
  uint32_t zenith, middle, horizon;
};
const SkyKey SkyKeys[] = {
    {0.00f, 0x1c1c4c, 0x7a4c80, 0xffb48c}, {0.10f, 0x2a3c7c, 0x9a7ca4, 0xffd2a4},
    {0.24f, 0x2c6cc2, 0x6ca8e2, 0xd8ecf4}, {0.46f, 0x1a5ab8, 0x4c98e2, 0xcae8f8},
    {0.62f, 0x2c5caa, 0x7ca2d2, 0xf4e2b4}, {0.73f, 0x3c3c84, 0xc06c74, 0xffa454},
    {0.81f, 0x1c1c52, 0x6c3c72, 0xe4724c}, {0.89f, 0x0a0e2c, 0x1c2254, 0x3c3262},
    {1.00f, 0x03050f, 0x09112a, 0x161e3c},
};

struct Sky {
  Rgb zenith, middle, horizon;
};

Sky SkyAt(float t) {
  size_t n = sizeof SkyKeys / sizeof SkyKeys[0];
  size_t i = 1;
  while (i < n - 1 && t > SkyKeys[i].at) {
    ++i;
  }
  const SkyKey& a = SkyKeys[i - 1];
  const SkyKey& b = SkyKeys[i];
  float u = Smoothstep(a.at, b.at, t);
  return {Mix(Hex(a.zenith), Hex(b.zenith), u), Mix(Hex(a.middle), Hex(b.middle), u),
          Mix(Hex(a.horizon), Hex(b.horizon), u)};
}

Rgb SkyColour(const Sky& s, float y) {
  float v = Clamp01(y / Horizon);
  if (v < 0.55f) {
    return Mix(s.zenith, s.middle, Smoothstep(0, 0.55f, v) * 0.6f + v / 0.55f * 0.4f);
  }
  return Mix(s.middle, s.horizon, std::pow((v - 0.55f) / 0.45f, 1.4f));
}

// How much of the day's light there is: 1 at noon, 0 at night.
float Daylight(float t) { return Smoothstep(0.0f, 0.2f, t) * (1 - Smoothstep(0.72f, 0.9f, t)); }

// A range of hills or mountains: an envelope of where it stands and how high.
struct Range {
  float from, to;  // in 0..1 of the panorama
  float height;
  float scale;     // horizontal feature size in pixels
  uint32_t seed;
};

float RangeHeight(const Range* ranges, size_t count, float x, bool ridged) {
  float t = x / float(WideWidth);
  float best = 0;
  for (size_t i = 0; i < count; ++i) {
    const Range& r = ranges[i];
    float edge = std::min(Smoothstep(r.from, r.from + 0.05f, t), 1 - Smoothstep(r.to - 0.05f, r.to, t));
    if (edge <= 0) {
      continue;
    }
    float n = Fbm(x / r.scale, float(r.seed), 5, r.seed);
    if (ridged) {
      n = 1 - std::fabs(n * 2 - 1);
      n = n * n;
    }
    best = std::max(best, r.height * edge * (0.35f + 0.65f * n));
  }
  return best;
}

const Range FarRanges[] = {{0.04f, 0.22f, 46, 160, 3},  {0.30f, 0.56f, 78, 220, 5},
                           {0.62f, 0.79f, 52, 180, 7},  {0.86f, 0.98f, 40, 150, 9}};
const Range NearRanges[] = {{0.14f, 0.30f, 22, 70, 13}, {0.47f, 0.60f, 26, 80, 17},
                            {0.76f, 0.90f, 30, 90, 19}, {0.94f, 1.02f, 18, 60, 23}};

void PaintSkyAndSea(Canvas& c) {
  for (int x = 0; x < c.width; ++x) {
    float t = float(x) / float(c.width);
    Sky sky = SkyAt(t);
    float day = Daylight(t);
    for (int y = 0; y < c.height; ++y) {
      float fy = float(y) + 0.5f;
      Rgb col;
      if (fy < Horizon) {
        col = SkyColour(sky, fy);
        // Clouds: soft heaps by day, lit from below at dawn and dusk.
        float n = Fbm(float(x) / 90.0f, fy / 26.0f, 5, 101);
        float shape = Smoothstep(0.55f, 0.72f, n) * Smoothstep(12, 50, fy) * (1 - Smoothstep(100, 150, fy));
        float lit = Smoothstep(0.55f, 0.8f, Fbm(float(x) / 90.0f, (fy - 3) / 26.0f, 5, 101));
        Rgb cloud_light = Mix(sky.horizon, Hex(0xffffff), day * 0.8f);
        Rgb cloud_shade = Mix(Mix(sky.middle, sky.zenith, 0.4f), Hex(0xb0bcd0), day * 0.5f);
        Rgb cloud = Mix(cloud_light, cloud_shade, Clamp01(lit - shape * 0.4f));
        col = Mix(col, cloud, shape * (0.55f + 0.3f * day));
      } else {
        // The sea mirrors the sky, darker and deeper towards the viewer.
        float depth = (fy - Horizon) / (float(c.height) - Horizon);
        Rgb mirror = SkyColour(sky, Horizon - (fy - Horizon) * 3);
        Rgb deep = Mix(Hex(0x041022), Hex(0x0c3a5a), day);
        col = Mix(Mix(mirror, sky.horizon, 0.25f), deep, std::pow(depth, 0.7f) * 0.85f);
        float ripple = Fbm(float(x) / (10 + depth * 28), fy / (1.0f + depth * 2.2f), 3, 103);
        col = Mix(col, Mix(sky.horizon, Hex(0xffffff), 0.2f), Smoothstep(0.6f, 0.85f, ripple) * (1 - depth) * 0.45f);
        col = Mix(col, deep * 0.6f, Smoothstep(0.6f, 0.2f, ripple) * depth * 0.4f);
      }
      c.At(x, y) = col;
    }
  }
}

void PaintStars(Canvas& c) {
  for (int y = 0; y < int(Horizon) - 20; ++y) {
    for (int x = int(0.8f * float(c.width)); x < c.width; ++x) {
      float t = float(x) / float(c.width);
      float density = Smoothstep(0.82f, 0.95f, t);
      float h = Hash01(uint32_t(x), uint32_t(y), 107);
      if (h > 1 - 0.005f * density) {
        float b = 0.3f + 0.7f * Hash01(uint32_t(x), uint32_t(y), 109);
        c.AddLight(x, y, Hex(0xe0e6ff), b * (1 - Smoothstep(80, Horizon - 20, float(y))));
        if (b > 0.93f) {
          AddGlow(c, float(x) + 0.5f, float(y) + 0.5f, 2, Hex(0xc8d4ff), 0.35f);
        }
      }
    }
  }
}

// A sun (or the moon) with its glow and its path of light on the water.
void PaintLight(Canvas& c, float cx, float cy, float radius, Rgb core, Rgb edge, Rgb glow, float glow_size,
                float path, float bite = 0) {
  AddGlow(c, cx, cy, glow_size, glow, 0.5f);
  AddGlow(c, cx, cy, radius * 2.2f, glow, 0.5f);
  for (int y = int(cy - radius - 2); y <= int(cy + radius + 2); ++y) {
    for (int x = int(cx - radius - 2); x <= int(cx + radius + 2); ++x) {
      float dx = float(x) + 0.5f - cx;
      float dy = float(y) + 0.5f - cy;
      float d = std::sqrt(dx * dx + dy * dy);
      if (float(y) >= Horizon) {
        continue;
      }
      float cover = 1 - Smoothstep(radius - 0.8f, radius + 0.8f, d);
      if (bite > 0) {
        // A crescent: the disc less an offset disc of the same size.
        float bx = dx - bite;
        float by = dy + bite * 0.6f;
        cover *= Smoothstep(radius - 0.8f, radius + 0.8f, std::sqrt(bx * bx + by * by));
      }
      c.Blend(x, y, Mix(core, edge, d / radius), cover);
    }
  }
  for (int y = int(Horizon); y < c.height; ++y) {
    float depth = (float(y) - Horizon) / (float(c.height) - Horizon);
    float spread = radius * 0.8f + depth * 60;
    for (int x = int(cx - spread * 3); x <= int(cx + spread * 3); ++x) {
      float across = (float(x) + 0.5f - cx) / spread;
      float ripple = Fbm(float(x) / (6 + depth * 16), float(y) / (1.1f + depth * 2), 3, 113);
      float glint = Smoothstep(0.5f, 0.75f, ripple) * std::exp(-across * across * 2.5f);
      c.AddLight(x, y, Mix(core, edge, depth), glint * path * (1 - depth * 0.6f));
    }
  }
}

void PaintRanges(Canvas& c) {
  std::vector<float> far(size_t(c.width) + 16), near(size_t(c.width));
  for (int x = -8; x < c.width + 8; ++x) {
    far[size_t(x + 8)] = RangeHeight(FarRanges, 4, float(x), true);
  }
  for (int x = 0; x < c.width; ++x) {
    near[size_t(x)] = RangeHeight(NearRanges, 4, float(x), false);
  }
  // The ridge's smoothed slope; ridges run down the faces diagonally from it.
  std::vector<float> slope(size_t(c.width));
  for (int x = 0; x < c.width; ++x) {
    float sum = 0;
    for (int k = -5; k <= 5; ++k) {
      int a = std::clamp(x + k - 2, -8, c.width + 7);
      int b = std::clamp(x + k + 2, -8, c.width + 7);
      sum += (far[size_t(b + 8)] - far[size_t(a + 8)]) / 4;
    }
    slope[size_t(x)] = sum / 11;
  }
  auto slope_at = [&](float x) { return slope[size_t(std::clamp(int(x), 0, c.width - 1))]; };
  for (int x = 0; x < c.width; ++x) {
    float t = float(x) / float(c.width);
    Sky sky = SkyAt(t);
    float day = Daylight(t);
    float h = far[size_t(x + 8)];
    // The light comes from the low sun at either end of the day: faces that
    // fall away to the right are lit in the morning, the others at dusk.
    float sun_side = t < 0.5f ? -1.0f : 1.0f;
    Rgb far_base = Mix(Hex(0x1a1838), Hex(0x5a6c9a), day);
    Rgb far_colour = Mix(far_base, sky.horizon, 0.4f);
    Rgb lit_colour = Mix(far_colour, Mix(sky.horizon, Hex(0xffffff), 0.3f * day), 0.55f);
    Rgb shade_colour = Mix(far_colour, sky.zenith, 0.25f) * 0.85f;
    Rgb near_colour = Mix(Hex(0x06080e), Mix(Hex(0x24483a), sky.horizon, 0.2f), day);
    for (int y = 0; y < int(Horizon) + 1; ++y) {
      float fy = float(y) + 0.5f;
      float top = Horizon - h;
      if (h > 0 && fy > top - 1) {
        float cover = Clamp01(fy - top + 0.5f);
        float below = fy - top;
        float rock = Fbm((float(x) + below * 0.7f) / 9.0f, fy / 5.0f, 3, 127);
        float side = sun_side * 0.5f * (slope_at(float(x) - below * 0.75f) + slope_at(float(x) + below * 0.75f)) *
                     std::exp(-below / 45);
        Rgb col = Mix(shade_colour, lit_colour, Clamp01(0.5f + side * 1.5f + (rock - 0.5f) * 0.5f));
        // Haze thickens towards the foot of the mountains.
        col = Mix(col, sky.horizon, Smoothstep(0, 1, Clamp01((Horizon - fy) < 20 ? 1 - (Horizon - fy) / 20 : 0)) * 0.35f +
                                        Smoothstep(0, 80, below) * 0.15f);
        // Snow on the high peaks of the middle range.
        float snow = Smoothstep(56, 64, Horizon - fy) * Smoothstep(0.3f, 0.34f, t) * (1 - Smoothstep(0.52f, 0.56f, t));
        col = Mix(col, Mix(Mix(sky.horizon, Hex(0xf4f8ff), day), shade_colour, Clamp01(-side * 2) * 0.5f),
                  snow * Smoothstep(0.35f, 0.55f, rock));
        c.Blend(x, y, col, cover);
      }
      float ntop = Horizon + 1 - near[size_t(x)];
      if (near[size_t(x)] > 0 && fy > ntop - 1) {
        float cover = Clamp01(fy - ntop + 0.5f);
        float tree = Fbm(float(x) / 3.0f, fy / 3.0f, 3, 131);
        Rgb col = Mix(near_colour, near_colour * 0.7f, Smoothstep(0.4f, 0.7f, tree));
        c.Blend(x, y, col, cover);
      }
    }
  }
}

// A small sailing boat: hull and two sails, coloured for its time of day.
void PaintBoat(Canvas& c, float x, float y, float size, float day, Rgb sky_light) {
  Rgb sail = Mix(Hex(0x101018), Mix(Hex(0xfff8ec), sky_light, 0.25f), day);
  Rgb hull = Mix(Hex(0x06060a), Hex(0x5a2a1a), day);
  for (int i = 0; i <= 20; ++i) {
    float k = float(i) / 20;
    DrawLine(c, x + size * 0.1f, y - size * 0.15f - k * size * 1.3f, x + size * 0.1f + (1 - k) * size * 0.75f,
             y - size * 0.15f - k * size * 0.1f - size * 0.05f, 1.0f, sail, 0.9f);
    DrawLine(c, x - size * 0.05f, y - size * 0.2f - k * size * 1.0f, x - size * 0.05f - (1 - k) * size * 0.5f,
             y - size * 0.2f, 1.0f, Mix(sail, sky_light, 0.3f), 0.8f);
  }
  DrawLine(c, x - size * 0.6f, y - size * 0.08f, x + size * 0.9f, y - size * 0.08f, size * 0.16f, hull, 1);
  DrawLine(c, x - size * 0.4f, y + size * 0.04f, x + size * 0.7f, y + size * 0.04f, size * 0.12f, hull, 1);
  // Its reflection, broken by the ripples.
  for (int yy = int(y + 1); yy < int(y + size * 1.2f); ++yy) {
    for (int xx = int(x - size * 0.4f); xx < int(x + size * 0.7f); ++xx) {
      float r = Fbm(float(xx) / 3.0f, float(yy) / 1.2f, 2, 137);
      c.Blend(xx, yy, Mix(sail, hull, 0.5f), Smoothstep(0.45f, 0.6f, r) * 0.25f * (1 - (float(yy) - y) / (size * 1.2f)));
    }
  }
}

void PaintBirds(Canvas& c, float x0, float y0, int count, uint32_t seed, Rgb colour) {
  for (int i = 0; i < count; ++i) {
    float x = x0 + Hash01(uint32_t(i), 1, seed) * 120;
    float y = y0 + Hash01(uint32_t(i), 2, seed) * 30;
    float s = 2.5f + Hash01(uint32_t(i), 3, seed) * 2;
    float lift = Hash01(uint32_t(i), 4, seed) * 1.5f;
    DrawLine(c, x - s, y - lift, x, y + 0.6f, 0.8f, colour, 0.85f);
    DrawLine(c, x, y + 0.6f, x + s, y - lift, 0.8f, colour, 0.85f);
  }
}

// The harbour town at dusk: a row of houses on the near hill with lit windows.
void PaintTown(Canvas& c, float from, float to) {
  float x = from;
  uint32_t i = 0;
  while (x < to) {
    float w = 7 + Hash01(i, 1, 151) * 9;
    float h = 8 + Hash01(i, 2, 151) * 10;
    float ground = Horizon + 1 - RangeHeight(NearRanges, 4, x + w / 2, false) + 3;
    float t = x / float(WideWidth);
    Rgb wall = Mix(Hex(0x07070f), Hex(0x1c1424), 1 - Smoothstep(0.8f, 0.9f, t));
    for (int yy = int(ground - h); yy < int(ground) + 6; ++yy) {
      for (int xx = int(x); xx < int(x + w); ++xx) {
        c.Blend(xx, yy, wall, 1);
      }
    }
    // A pitched roof.
    for (int k = 0; k < int(w / 2) + 1; ++k) {
      DrawLine(c, x + float(k), ground - h - float(k) * 0.7f, x + w - float(k), ground - h - float(k) * 0.7f, 1.2f,
               wall * 0.8f, 1);
    }
    for (int wy = 0; wy < 2; ++wy) {
      for (int wx = 0; wx < int(w / 4); ++wx) {
        if (Hash01(i, uint32_t(wy * 8 + wx), 157) > 0.45f) {
          float px = x + 2 + float(wx) * 4;
          float py = ground - h + 3 + float(wy) * 5;
          c.Blend(int(px), int(py), Hex(0xffd070), 1);
          c.Blend(int(px) + 1, int(py), Hex(0xffb050), 0.9f);
          AddGlow(c, px + 1, py + 0.5f, 2.5f, Hex(0xffa040), 0.25f);
        }
      }
    }
    x += w + 1 + Hash01(i, 3, 151) * 4;
    ++i;
  }
}

void PaintLighthouse(Canvas& c, float lx) {
  float ground = Horizon + 1 - RangeHeight(NearRanges, 4, lx, false) + 2;
  const float height = 34;
  for (int y = int(ground - height); y < int(ground) + 4; ++y) {
    float k = (ground - float(y)) / height;
    float half = 4.2f - k * 1.6f;
    bool stripe = int((ground - float(y)) / 7) % 2 == 1;
    for (int x = int(lx - half - 1); x <= int(lx + half + 1); ++x) {
      float cover = Clamp01(half + 0.5f - std::fabs(float(x) + 0.5f - lx));
      c.Blend(x, y, stripe ? Hex(0x2a0c14) : Hex(0x1c2030), cover);
    }
  }
  float lamp_y = ground - height - 3;
  DrawLine(c, lx - 3.5f, lamp_y - 3, lx + 3.5f, lamp_y - 3, 1.2f, Hex(0x0c0c14), 1);
  // Two beams cross the night sky.
  for (int y = 0; y < int(Horizon); ++y) {
    for (int x = 0; x < c.width; ++x) {
      float dx = float(x) + 0.5f - lx;
      float dy = lamp_y - (float(y) + 0.5f);
      float d = std::sqrt(dx * dx + dy * dy);
      float angle = std::atan2(dy, dx);
      float left = std::exp(-std::pow((angle - (Pi - 0.13f)) / 0.045f, 2.0f));
      float right = std::exp(-std::pow((angle - 0.22f) / 0.05f, 2.0f));
      float fall = Smoothstep(4, 30, d) * std::exp(-d / 260);
      c.AddLight(x, y, Hex(0xffe4a8), (left * 0.45f + right * 0.3f) * fall);
    }
  }
  AddGlow(c, lx, lamp_y, 9, Hex(0xffd890), 0.8f);
  DrawDisc(c, lx, lamp_y, 2.2f, 1, Hex(0xfffbe8), 1);
}

// Dark rocks and pines along the bottom edge in a few places.
void PaintForeground(Canvas& c) {
  for (int x = 0; x < c.width; ++x) {
    float t = float(x) / float(c.width);
    float day = Daylight(t);
    float shore = std::max({Smoothstep(0.0f, 0.02f, t) * (1 - Smoothstep(0.07f, 0.1f, t)),
                            Smoothstep(0.27f, 0.3f, t) * (1 - Smoothstep(0.34f, 0.37f, t)),
                            Smoothstep(0.58f, 0.61f, t) * (1 - Smoothstep(0.66f, 0.69f, t)),
                            Smoothstep(0.9f, 0.93f, t)});
    if (shore <= 0) {
      continue;
    }
    float top = float(c.height) - shore * (14 + 16 * Fbm(float(x) / 25.0f, 0.5f, 4, 163));
    Rgb rock = Mix(Hex(0x05050a), Hex(0x3a3030), day);
    for (int y = int(top) - 1; y < c.height; ++y) {
      float shade = Fbm(float(x) / 5.0f, float(y) / 5.0f, 3, 167);
      c.Blend(x, y, Mix(rock, rock * 0.55f, shade), Clamp01(float(y) + 0.5f - top));
    }
  }
  const float pines[] = {60, 74, 90, 1000, 1010, 1940, 1952, 1966, 3140, 3165};
  for (float px : pines) {
    float t = px / float(WideWidth);
    float day = Daylight(t);
    Rgb green = Mix(Hex(0x04060a), Hex(0x183424), day);
    float h = 30 + Hash01(uint32_t(px), 0, 171) * 16;
    float base = float(c.height) - 10;
    for (int y = int(base - h); y < int(base); ++y) {
      float k = (float(y) - (base - h)) / h;
      float tier = std::fmod(k * 4, 1.0f);
      float half = (2 + k * 9) * (0.55f + 0.45f * tier);
      for (int x = int(px - half - 1); x <= int(px + half + 1); ++x) {
        c.Blend(x, y, green, Clamp01(half + 0.5f - std::fabs(float(x) + 0.5f - px)));
      }
    }
  }
}

void PaintTextLine(Canvas& c, const Fonts& fonts) {
  const std::string line =
      "Welcome aboard Quillwave 2k   ~   one day along the coast, from first light to the lighthouse   ~   "
      "pictures, music and code by Orvalund   ~   greetings to everyone who still loves a good scroller   ~   "
      "good night, and fair winds";
  TextStyle style{fonts.serif_italic, 20, 0.4f};
  float width = TextWidth(style, line);
  float left = (float(c.width) - width) / 2;
  TextMask text = MakeText(style, line, left, 96, 8, false);
  // Light text with a dark rim reads over any sky: dawn, noon or night.
  PaintMask(c, Blur(Dilate(text.mask, 1.5f), 3), text.x + 1, text.y + 2, [](int, int) { return Hex(0x000010); },
            0.55f);
  PaintMask(c, Dilate(text.mask, 0.8f), text.x, text.y, [](int, int) { return Hex(0x0a0a20); }, 0.6f);
  PaintMask(c, text.mask, text.x, text.y,
            [&](int x, int y) {
              float t = float(x) / float(c.width);
              Rgb warm = Mix(Hex(0xfff8e8), Hex(0xffe0a0), Clamp01((float(y) - 80) / 18));
              return Mix(warm, Hex(0xe8ecff), Smoothstep(0.8f, 0.95f, t));
            },
            1);
}

}  // namespace

Canvas PaintWide(const Fonts& fonts) {
  Canvas c(WideWidth, ScreenHeight);
  PaintSkyAndSea(c);
  PaintStars(c);
  // Dawn sun on the left, sunset sun on the right, the moon at the end.
  PaintLight(c, 100, Horizon - 6, 15, Hex(0xfff0c0), Hex(0xff9a60), Hex(0xff9870), 60, 0.7f);
  PaintLight(c, 1450, 22, 10, Hex(0xffffff), Hex(0xfff4d0), Hex(0xfff0c0), 70, 0.0f);
  PaintLight(c, 2470, Horizon - 4, 20, Hex(0xffe080), Hex(0xff5030), Hex(0xff7040), 80, 0.9f);
  PaintLight(c, 2985, 44, 9, Hex(0xfbfbf0), Hex(0xd8dce8), Hex(0x6878b0), 26, 0.35f, 5);
  PaintRanges(c);
  PaintTown(c, 2560, 2760);
  PaintBoat(c, 700, Horizon + 16, 9, Daylight(700.0f / WideWidth), SkyAt(0.22f).horizon);
  PaintBoat(c, 1320, Horizon + 30, 12, 1, SkyAt(0.41f).horizon);
  PaintBoat(c, 2230, Horizon + 12, 7, Daylight(0.7f), SkyAt(0.7f).horizon);
  PaintBirds(c, 560, 110, 5, 181, Hex(0x2a2030));
  PaintBirds(c, 1650, 120, 7, 183, Hex(0x283040));
  PaintBirds(c, 2150, 115, 4, 187, Hex(0x302030));
  PaintLighthouse(c, 3060);
  PaintForeground(c);
  PaintTextLine(c, fonts);
  return c;
}

}  // namespace content
