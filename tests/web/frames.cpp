// Reference frames drawn by the system's own routines: the loading picture
// as start-up expands it, the pictures at each fade level and the scroller
// at each window and brightness, each compared with a picture from the page.
#include "tests/web/frames.h"

#include "archive/archive.h"
#include "base/names.h"
#include "demo/draw.h"
#include "demo/fade.h"

#include <cstring>

namespace {

constexpr int32_t BrightestScroller = FadeLevelNormal + FlickerRange;

// The frame being drawn and the colour reduction of the page's mode.
uint32_t Drawn[FramePixels];
uint32_t Depth = 32;

// The value a channel of `bits` bits shows: the top bits spread back over
// eight, as the display service does at 16 and 15 bits.
uint32_t Channel(uint32_t value, uint32_t bits) {
  if (bits >= 8) {
    return value;
  }
  uint32_t kept = value >> (8 - bits);
  return (kept << (8 - bits) | kept >> (2 * bits - 8)) & 0xFF;
}

uint32_t Shown(uint32_t pixel) {
  uint32_t red = 8, green = 8, blue = 8;
  if (Depth == 16) {
    red = blue = 5;
    green = 6;
  } else if (Depth == 15) {
    red = green = blue = 5;
  }
  return Channel(pixel >> 16 & 0xFF, red) << 16 | Channel(pixel >> 8 & 0xFF, green) << 8 |
         Channel(pixel & 0xFF, blue);
}

bool SameAsDrawn(const uint32_t* pixels) {
  for (uint32_t i = 0; i < FramePixels; i++) {
    if (Shown(Drawn[i]) != pixels[i]) {
      return false;
    }
  }
  return true;
}

bool IsPictureAt(const uint32_t* palette, const uint8_t* picture, int32_t level, const uint32_t* pixels) {
  FadeLevel.store(level);
  ShowPicture(palette, picture);
  return SameAsDrawn(pixels);
}

// A cheap look at a few pixels of three rows before the whole frame.
bool ScrollerMayBe(const uint32_t* faded, uint32_t position, const uint32_t* pixels) {
  constexpr uint32_t Rows[] = {0, FrameHeight / 2, FrameHeight - 1};
  constexpr uint32_t Columns[] = {0, 97, 211, FrameWidth - 1};
  for (uint32_t y : Rows) {
    for (uint32_t x : Columns) {
      uint8_t index = Pictures.widePicture[y * WideWidth + position + x];
      if (Shown(faded[index]) != pixels[y * FrameWidth + x]) {
        return false;
      }
    }
  }
  return true;
}

bool FindScroller(const uint32_t* pixels, uint32_t* position, int32_t* level) {
  uint32_t faded[PaletteEntries];
  for (int32_t e = BrightestScroller; e >= 0; e--) {
    FadePass(Pictures.widePalette, faded, PaletteEntries, e);
    for (uint32_t p = 0; p <= ScrollEnd; p++) {
      if (!ScrollerMayBe(faded, p, pixels)) {
        continue;
      }
      ScrollPosition.store(p);
      FadeLevel.store(e);
      FlickerOffset.store(0);
      ShowScroller();
      if (SameAsDrawn(pixels)) {
        *position = p;
        *level = e;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool LoadReferencePictures(const char* programFile) {
  struct Item {
    uint32_t index;
    void* destination;
    uint32_t room;
  };
  const Item items[] = {
      {ItemWidePalette, Pictures.widePalette, sizeof Pictures.widePalette},
      {ItemWidePicture, Pictures.widePicture, sizeof Pictures.widePicture},
      {ItemOpeningPalette, Pictures.openingPalette, sizeof Pictures.openingPalette},
      {ItemOpeningPicture, Pictures.openingPicture, sizeof Pictures.openingPicture},
      {ItemClosingPalette, Pictures.closingPalette, sizeof Pictures.closingPalette},
      {ItemClosingPicture, Pictures.closingPicture, sizeof Pictures.closingPicture},
      {ItemLoadingPalette, Pictures.loadingPalette, sizeof Pictures.loadingPalette},
      {ItemLoadingPicture, Pictures.loadingPicture, sizeof Pictures.loadingPicture},
  };
  bool ok = ArchiveOpen(programFile);
  for (const Item& item : items) {
    ok = ok && ArchiveReadCoded(item.index, item.destination, item.room);
  }
  ArchiveClose();
  if (ok) {
    FrameBuffer = Drawn;
    BuildFadeTable();
  }
  return ok;
}

void UseReferenceDepth(uint32_t depth) { Depth = depth; }

std::string ClassifyFrame(const uint32_t* pixels) {
  bool black = true;
  for (uint32_t i = 0; i < FramePixels && black; i++) {
    black = pixels[i] == 0;
  }
  if (black) {
    return "black";
  }
  ShowLoadingPicture();
  if (SameAsDrawn(pixels)) {
    return "loading";
  }
  // At 16 and 15 bits neighbouring levels can look the same; the brightest
  // that fits is named.
  for (int32_t level = FadeLevelNormal; level >= 0; level--) {
    if (IsPictureAt(Pictures.openingPalette, Pictures.openingPicture, level, pixels)) {
      return "opening " + std::to_string(level);
    }
    if (IsPictureAt(Pictures.closingPalette, Pictures.closingPicture, level, pixels)) {
      return "closing " + std::to_string(level);
    }
  }
  uint32_t position = 0;
  int32_t level = 0;
  if (FindScroller(pixels, &position, &level)) {
    return "scroller " + std::to_string(position) + " " + std::to_string(level);
  }
  return "unknown";
}
