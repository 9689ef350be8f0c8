#include "content/lib/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace content {
namespace {

// One library for the generator's lifetime; faces are opened per call, which
// is cheap enough for the few strings a picture holds.
FT_Library Library() {
  static FT_Library lib = nullptr;
  if (lib == nullptr && FT_Init_FreeType(&lib) != 0) {
    lib = nullptr;
  }
  return lib;
}

FT_Face OpenFace(const TextStyle& style) {
  FT_Face face = nullptr;
  FT_Library lib = Library();
  if (lib == nullptr || FT_New_Face(lib, style.font_file.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "cannot load font %s\n", style.font_file.c_str());
    return nullptr;
  }
  // 26.6 fixed point; sizes with fractions are kept exactly.
  FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.pixel_size * 64)), 72, 72);
  return face;
}

// Walks the glyphs of `text`, calling `visit(face, pen_x)` for each loaded one.
template <typename Visit>
float Layout(FT_Face face, const TextStyle& style, const std::string& text, Visit visit) {
  float pen = 0;
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    FT_UInt glyph = FT_Get_Char_Index(face, ch);
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &kern);
      pen += float(kern.x) / 64.0f;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING) != 0) {
      continue;
    }
    visit(face, pen);
    pen += float(face->glyph->advance.x) / 64.0f + style.letter_spacing;
    previous = glyph;
  }
  return pen - (text.empty() ? 0 : style.letter_spacing);
}

}  // namespace

float TextWidth(const TextStyle& style, const std::string& text) {
  FT_Face face = OpenFace(style);
  if (face == nullptr) {
    return 0;
  }
  float w = Layout(face, style, text, [](FT_Face, float) {});
  FT_Done_Face(face);
  return w;
}

bool DrawText(Mask& mask, const TextStyle& style, const std::string& text, float x, float y) {
  FT_Face face = OpenFace(style);
  if (face == nullptr) {
    return false;
  }
  Layout(face, style, text, [&](FT_Face f, float pen) {
    float gx = x + pen;
    float frac = gx - std::floor(gx);
    // Position the outline at its sub-pixel offset before rendering.
    FT_Vector shift{FT_Pos(std::lround(frac * 64)), FT_Pos(std::lround((y - std::floor(y)) * -64))};
    FT_Outline_Translate(&f->glyph->outline, shift.x, shift.y);
    if (FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) != 0) {
      return;
    }
    const FT_Bitmap& bm = f->glyph->bitmap;
    int left = int(std::floor(gx)) + f->glyph->bitmap_left;
    int top = int(std::floor(y)) - f->glyph->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        int mx = left + int(col);
        int my = top + int(row);
        if (mx < 0 || my < 0 || mx >= mask.width || my >= mask.height) {
          continue;
        }
        float a = float(bm.buffer[row * unsigned(bm.pitch) + col]) / 255.0f;
        mask.At(mx, my) = std::min(1.0f, mask.At(mx, my) + a);
      }
    }
  });
  FT_Done_Face(face);
  return true;
}

}  // namespace content
