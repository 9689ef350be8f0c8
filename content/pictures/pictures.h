// The presentation's four pictures, painted in true colour by code and
// reduced to 256 colours. Every painter is deterministic: no clock, no
// unseeded randomness, so each build makes the same bytes.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "content/lib/canvas.h"
#include "content/lib/font.h"

namespace content {

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;
constexpr int WideWidth = 3200;

// The outline fonts the pictures use, found in one font folder.
struct Fonts {
  std::string script;   // a flowing calligraphic italic, for titles
  std::string serif;    // a book face with italics, for credits
  std::string serif_italic;
  std::string sans;     // a geometric sans, for small captions
  std::string sans_demi;
};

Fonts FontsIn(const std::string& folder);

// A colour ramp through stops (position, colour), positions ascending.
struct Stop {
  float at;
  Rgb colour;
};
Rgb Ramp(const std::vector<Stop>& stops, float t);

// Paints `mask` (placed at ox, oy) onto the canvas, each pixel coloured by
// `colour(x, y)` and covered by the mask times `opacity`.
void PaintMask(Canvas& c, const Mask& mask, int ox, int oy, const std::function<Rgb(int, int)>& colour, float opacity);
// Adds the mask as light (for glows).
void LightMask(Canvas& c, const Mask& mask, int ox, int oy, Rgb colour, float strength);

// A line of text as a mask big enough for its glow, and where its origin is.
struct TextMask {
  Mask mask{0, 0};
  int x = 0;  // canvas position of the mask's top-left corner
  int y = 0;
};
// Text centred on `cx` (or starting at `left` when centred is false) with
// its baseline at `baseline`; `margin` leaves room for outline and glow.
TextMask MakeText(const TextStyle& style, const std::string& text, float cx, float baseline, int margin, bool centred = true);

// A title treatment: soft glow, dark outline, then a vertical gradient fill.
struct TitleLook {
  Rgb top, middle, bottom;  // fill gradient over the text's height
  Rgb outline;
  float outline_width = 1.2f;
  float outline_opacity = 0.85f;
  Rgb glow;
  int glow_radius = 6;
  float glow_strength = 0.6f;
  float shadow_dx = 1, shadow_dy = 2;
  float shadow_opacity = 0.5f;
};
void DrawTitle(Canvas& c, const TextMask& text, const TitleLook& look, float text_top, float text_bottom);

Canvas PaintLoading(const Fonts& fonts);
Canvas PaintOpening(const Fonts& fonts);
Canvas PaintClosing(const Fonts& fonts);
Canvas PaintWide(const Fonts& fonts);

}  // namespace content
