// Drawing: the content pictures, the frame, the picture blits and the
// scroller window.
//
// Fading a pixel depends on nothing but the pixel, so sending the 256 palette
// entries through the fade table and then expanding the picture through that
// faded palette gives the very frame that expanding first and fading every
// pixel afterwards would give, for a fraction of the work.
#include "demo/draw.h"

#include "demo/fade.h"

// --- state -------------------------------------------------------------------
// Items 1, 2 and 4 to 9, filled once by start-up.
PictureSet Pictures;

namespace {
// Stands in for the frame until start-up points FrameBuffer at the video
// layer's pixel memory.
uint32_t StandInFrame[FramePixels];
// The palette of the frame being drawn, already at the frame's fade level.
uint32_t FadedPalette[PaletteEntries];
}  // namespace

uint32_t* FrameBuffer = StandInFrame;
// Left column of the scroller window; stepped on the tick thread.
std::atomic<uint32_t> ScrollPosition{0};

namespace {

// One byte load, one palette load and one store per pixel. The three never
// overlap; saying so lets the compiler store several pixels at once.
void Expand(const uint32_t* __restrict palette, const uint8_t* __restrict source,
            uint32_t* __restrict destination, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    destination[i] = palette[source[i]];
  }
}

}  // namespace

int32_t ShowPicture(const uint32_t* palette, const uint8_t* picture) {
  int32_t level = FadeLevel.load(std::memory_order_relaxed);
  FadePass(palette, FadedPalette, PaletteEntries, level);
  Expand(FadedPalette, picture, FrameBuffer, FramePixels);
  return level;
}

// The window, the level and the offset are each read once, so one frame never
// mixes two positions or two brightnesses.
int32_t ShowScroller() {
  uint32_t position = ScrollPosition.load(std::memory_order_relaxed);
  int32_t level = FadeLevel.load(std::memory_order_relaxed);
  int32_t offset = FlickerOffset.load(std::memory_order_relaxed);
  int32_t effective = level + offset;
  if (effective < 0) {
    effective = 0;
  }
  FadePass(Pictures.widePalette, FadedPalette, PaletteEntries, effective);
  const uint8_t* source = Pictures.widePicture + position;
  uint32_t* destination = FrameBuffer;
  for (uint32_t y = 0; y < FrameHeight; ++y) {
    Expand(FadedPalette, source, destination, FrameWidth);
    source += WideWidth;
    destination += FrameWidth;
  }
  return level;
}

void ShowLoadingPicture() {
  Expand(Pictures.loadingPalette, Pictures.loadingPicture, FrameBuffer, FramePixels);
}

// Tick routine: one column to the right, stopping at the last window.
void ScrollStep() {
  uint32_t position = ScrollPosition.load(std::memory_order_relaxed);
  if (position < ScrollEnd) {
    ScrollPosition.store(position + 1, std::memory_order_relaxed);
  }
}
