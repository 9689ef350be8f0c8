// Drawing: the frame, the content pictures, the blits, the scroller with its
// flicker, and the random generator behind the flicker.
#pragma once
#include "base/frame.h"

#include <atomic>
#include <cstdint>
constexpr uint32_t WideWidth = 3200;
constexpr uint32_t WidePixels = WideWidth * FrameHeight;       // 768,000
constexpr uint32_t ScrollEnd = WideWidth - FrameWidth;         // 2,880
constexpr uint32_t PaletteEntries = 256;
constexpr int32_t FlickerRange = 16;

// The content pictures, filled once by start-up from the archive.
struct PictureSet {
  uint32_t widePalette[PaletteEntries];     // item 1
  uint8_t widePicture[WidePixels];          // item 2
  uint32_t openingPalette[PaletteEntries];  // item 4
  uint8_t openingPicture[FramePixels];      // item 5
  uint32_t closingPalette[PaletteEntries];  // item 6
  uint8_t closingPicture[FramePixels];      // item 7
  uint32_t loadingPalette[PaletteEntries];  // item 8
  uint8_t loadingPicture[FramePixels];      // item 9
};
extern PictureSet Pictures;

// The frame everything is drawn into: FrameWidth x FrameHeight pixels 0x00RRGGBB, set by
// start-up to the pixel memory the video layer made.
extern uint32_t* FrameBuffer;

// Column of the wide picture at the frame's left edge, 0..2880.
extern std::atomic<uint32_t> ScrollPosition;
// Brightness offset of the scroller, -16..16.
extern std::atomic<int32_t> FlickerOffset;
// The generator's two 16-bit words, packed value | multiplier << 16 so the
// tick thread reads and writes them as one word.
extern std::atomic<uint32_t> RandomState;

// Expands `picture` through `palette`, fades at FadeLevel; returns the level.
int32_t ShowPicture(const uint32_t* palette, const uint8_t* picture);
// Draws the scroller window with the flicker; returns FadeLevel as read.
int32_t ShowScroller();
// Expands the loading picture, no fade.
void ShowLoadingPicture();

// Tick routines.
void ScrollStep();
void FlickerStep();
void FlickerFadeInStep();

void RandomSeed(uint16_t seed);
uint16_t RandomNext(uint16_t n);
