#include <cmath>

#include "content/pictures/pictures.h"

namespace content {

Fonts FontsIn(const std::string& folder) {
  return {folder + "/Z003-MediumItalic.otf", folder + "/P052-Roman.otf", folder + "/P052-Italic.otf",
          folder + "/URWGothic-Book.otf", folder + "/URWGothic-Demi.otf"};
}

Rgb Ramp(const std::vector<Stop>& stops, float t) {
  if (t <= stops.front().at) {
    return stops.front().colour;
  }
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      float u = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].colour, stops[i].colour, Smoothstep(0, 1, u) * 0.5f + u * 0.5f);
    }
  }
  return stops.back().colour;
}

void PaintMask(Canvas& c, const Mask& mask, int ox, int oy, const std::function<Rgb(int, int)>& colour, float opacity) {
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      float a = mask.At(x, y);
      if (a > 0) {
        c.Blend(ox + x, oy + y, colour(ox + x, oy + y), a * opacity);
      }
    }
  }
}

void LightMask(Canvas& c, const Mask& mask, int ox, int oy, Rgb colour, float strength) {
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      float a = mask.At(x, y);
      if (a > 0) {
        c.AddLight(ox + x, oy + y, colour, a * strength);
      }
    }
  }
}

TextMask MakeText(const TextStyle& style, const std::string& text, float cx, float baseline, int margin, bool centred) {
  float width = TextWidth(style, text);
  float left = centred ? cx - width / 2 : cx;
  TextMask t;
  t.x = int(std::floor(left)) - margin;
  t.y = int(std::floor(baseline - style.pixel_size * 1.1f)) - margin;
  t.mask = Mask(int(std::ceil(width)) + 2 * margin + 2, int(std::ceil(style.pixel_size * 1.5f)) + 2 * margin);
  DrawText(t.mask, style, text, left - float(t.x), baseline - float(t.y));
  return t;
}

void DrawTitle(Canvas& c, const TextMask& text, const TitleLook& look, float text_top, float text_bottom) {
  if (look.glow_strength > 0) {
    LightMask(c, Blur(Dilate(text.mask, 1.5f), look.glow_radius), text.x, text.y, look.glow, look.glow_strength);
  }
  if (look.shadow_opacity > 0) {
    Mask shadow = Blur(Dilate(text.mask, look.outline_width), 2);
    PaintMask(c, shadow, text.x + int(look.shadow_dx), text.y + int(look.shadow_dy),
              [](int, int) { return Rgb{0, 0, 0}; }, look.shadow_opacity);
  }
  if (look.outline_opacity > 0) {
    PaintMask(c, Dilate(text.mask, look.outline_width), text.x, text.y, [&](int, int) { return look.outline; },
              look.outline_opacity);
  }
  PaintMask(c, text.mask, text.x, text.y,
            [&](int, int y) {
              float t = Clamp01((float(y) - text_top) / (text_bottom - text_top));
              return t < 0.5f ? Mix(look.top, look.middle, t * 2) : Mix(look.middle, look.bottom, t * 2 - 1);
            },
            1.0f);
}

}  // namespace content
