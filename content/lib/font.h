// Text for the pictures: outline fonts from the system's font packages,
// rendered by FreeType into coverage masks (anti-aliased, deterministic).
#pragma once
#include <string>

#include "content/lib/canvas.h"

namespace content {

struct TextStyle {
  std::string font_file;
  float pixel_size = 16;
  float letter_spacing = 0;  // extra pixels between letters
};

// Width in pixels that `text` takes in `style`.
float TextWidth(const TextStyle& style, const std::string& text);

// Renders `text` into `mask` with its baseline at (x, y); coverage adds up.
// Returns false (and prints why) when the font cannot be loaded.
bool DrawText(Mask& mask, const TextStyle& style, const std::string& text, float x, float y);

}  // namespace content
