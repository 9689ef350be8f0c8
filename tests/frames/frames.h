// Names which frame of the presentation a screen image shows, for the
// stages that watch a real run (X screenshots, the browser's canvas, Wine).
// The frames are derived here on their own from the program file's pictures:
// the fade and the colours of a depth are computed by formula, not by the
// system's table and drawing, so a fault there shows as an unknown frame.
#pragma once
#include <cstdint>
#include <string>

// Where in a screen image the frame lies and how it is shown.
struct ShotView {
  const uint32_t* pixels;  // the image, 0x00RRGGBB, rows top-down
  uint32_t imageWidth;
  uint32_t imageHeight;
  uint32_t x;       // the frame's top-left pixel in the image
  uint32_t y;
  uint32_t width;   // how much of the frame, from its top-left, is compared
  uint32_t height;
  uint32_t scale;   // each frame pixel a scale x scale block of the image
  uint32_t depth;   // bits per pixel of the display mode
};

// Reads the pictures and palettes (items 1, 2 and 4 to 9) of a program file.
bool ShotLoadPictures(const char* programFile);

// An 8-bit colour value at a fade level (0 black, 128 as it is, above it
// towards white).
uint32_t ShotFade(uint32_t value, int32_t level);

// The colour 0x00RRGGBB as a display of `depth` bits per pixel shows it:
// 16 keeps 5-6-5 bits, 15 keeps 5-5-5, each widened back to eight bits by
// repeating its top bits; any other depth shows it as it is.
uint32_t ShotShown(uint32_t colour, uint32_t depth);

// Whether the view's rectangle lies inside its image and within a frame.
bool ShotViewFits(const ShotView& view);

// What the view shows: "black", "loading", "opening L", "closing L" (L the
// fade level, the brightest when several look the same), "scroller P E"
// (P the wide picture's column at the left edge, E the level with the
// flicker in it), or "unknown".
std::string ShotName(const ShotView& view);

// For an unknown view: the still picture (loading, or opening or closing
// at a level) it is closest to, and by how many frame pixels it differs.
std::string ShotClosest(const ShotView& view);
