// The frames a run may show, derived from the program file's pictures by
// formula, and the naming of a screen image by them.
#include "tests/frames/frames.h"

#include "archive/archive.h"
#include "base/names.h"
#include "demo/draw.h"
#include "demo/fade.h"

namespace {

constexpr int32_t BrightestScroller = FadeLevelNormal + FlickerRange;
constexpr int32_t NoFade = -1;

// The program file's pictures, as read; kept apart from the system's own
// picture set so that nothing here leans on its drawing.
struct Items {
  uint32_t widePalette[PaletteEntries];
  uint8_t widePicture[WidePixels];
  uint32_t openingPalette[PaletteEntries];
  uint8_t openingPicture[FramePixels];
  uint32_t closingPalette[PaletteEntries];
  uint8_t closingPicture[FramePixels];
  uint32_t loadingPalette[PaletteEntries];
  uint8_t loadingPicture[FramePixels];
};
Items Read;

// One frame a run may show: an indexed picture, read from its first column
// with rows `stride` apart, through a palette already faded and at the
// view's depth.
struct Candidate {
  const uint8_t* picture;
  uint32_t stride;
  uint32_t shown[PaletteEntries];
};

// A channel kept to its top `bits` and widened back to eight bits: the
// kept value times 2^bits + 1 repeats it, and the shift keeps the top eight.
uint32_t Widen(uint32_t value, uint32_t bits) {
  uint32_t kept = value >> (8 - bits);
  return (kept * ((1u << bits) + 1)) >> (2 * bits - 8);
}

void ShownPalette(const uint32_t* palette, int32_t level, uint32_t depth, uint32_t* shown) {
  for (uint32_t i = 0; i < PaletteEntries; i++) {
    uint32_t red = palette[i] >> 16 & 0xFF;
    uint32_t green = palette[i] >> 8 & 0xFF;
    uint32_t blue = palette[i] & 0xFF;
    if (level != NoFade) {
      red = ShotFade(red, level);
      green = ShotFade(green, level);
      blue = ShotFade(blue, level);
    }
    shown[i] = ShotShown(red << 16 | green << 8 | blue, depth);
  }
}

// Whether the image block that frame pixel (fx, fy) became is all `want`.
bool BlockIs(const ShotView& v, uint32_t fx, uint32_t fy, uint32_t want) {
  for (uint32_t by = 0; by < v.scale; by++) {
    const uint32_t* row = v.pixels + static_cast<size_t>(v.y + fy * v.scale + by) * v.imageWidth + v.x + fx * v.scale;
    for (uint32_t bx = 0; bx < v.scale; bx++) {
      if (row[bx] != want) {
        return false;
      }
    }
  }
  return true;
}

// How many frame pixels of the view differ from the candidate, counting no
// further than `enough`.
uint32_t Differing(const ShotView& v, const Candidate& c, uint32_t enough) {
  uint32_t wrong = 0;
  for (uint32_t fy = 0; fy < v.height; fy++) {
    const uint8_t* indices = c.picture + static_cast<size_t>(fy) * c.stride;
    for (uint32_t fx = 0; fx < v.width; fx++) {
      if (!BlockIs(v, fx, fy, c.shown[indices[fx]])) {
        wrong++;
        if (wrong >= enough) {
          return wrong;
        }
      }
    }
  }
  return wrong;
}

bool Shows(const ShotView& v, const Candidate& c) { return Differing(v, c, 1) == 0; }

void Still(Candidate& c, const uint32_t* palette, const uint8_t* picture, int32_t level, uint32_t depth) {
  c.picture = picture;
  c.stride = FrameWidth;
  ShownPalette(palette, level, depth, c.shown);
}

bool IsBlack(const ShotView& v) {
  for (uint32_t fy = 0; fy < v.height; fy++) {
    for (uint32_t fx = 0; fx < v.width; fx++) {
      if (!BlockIs(v, fx, fy, 0)) {
        return false;
      }
    }
  }
  return true;
}

// A scroller window is looked for at every position and level; a dozen
// pixels spread over the view rule out nearly all of them before the whole
// view is compared.
constexpr uint32_t SampleColumns = 4;
constexpr uint32_t SampleRows = 3;

bool FindScroller(const ShotView& v, uint32_t* position, int32_t* level) {
  uint32_t xs[SampleColumns] = {0, v.width / 3, v.width * 2 / 3, v.width - 1};
  uint32_t ys[SampleRows] = {0, v.height / 2, v.height - 1};
  uint32_t seen[SampleRows][SampleColumns];
  for (uint32_t r = 0; r < SampleRows; r++) {
    for (uint32_t s = 0; s < SampleColumns; s++) {
      seen[r][s] = v.pixels[static_cast<size_t>(v.y + ys[r] * v.scale) * v.imageWidth + v.x + xs[s] * v.scale];
    }
  }
  Candidate c;
  c.stride = WideWidth;
  for (int32_t e = BrightestScroller; e > FadeLevelBlack; e--) {
    ShownPalette(Read.widePalette, e, v.depth, c.shown);
    for (uint32_t p = 0; p <= ScrollEnd; p++) {
      bool may = true;
      for (uint32_t r = 0; r < SampleRows && may; r++) {
        for (uint32_t s = 0; s < SampleColumns && may; s++) {
          may = c.shown[Read.widePicture[ys[r] * WideWidth + p + xs[s]]] == seen[r][s];
        }
      }
      c.picture = Read.widePicture + p;
      if (may && Shows(v, c)) {
        *position = p;
        *level = e;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool ShotLoadPictures(const char* programFile) {
  bool ok = ArchiveOpen(programFile) &&
            ArchiveReadCoded(ItemWidePalette, Read.widePalette, sizeof Read.widePalette) &&
            ArchiveReadCoded(ItemWidePicture, Read.widePicture, sizeof Read.widePicture) &&
            ArchiveReadCoded(ItemOpeningPalette, Read.openingPalette, sizeof Read.openingPalette) &&
            ArchiveReadCoded(ItemOpeningPicture, Read.openingPicture, sizeof Read.openingPicture) &&
            ArchiveReadCoded(ItemClosingPalette, Read.closingPalette, sizeof Read.closingPalette) &&
            ArchiveReadCoded(ItemClosingPicture, Read.closingPicture, sizeof Read.closingPicture) &&
            ArchiveReadCoded(ItemLoadingPalette, Read.loadingPalette, sizeof Read.loadingPalette) &&
            ArchiveReadCoded(ItemLoadingPicture, Read.loadingPicture, sizeof Read.loadingPicture);
  ArchiveClose();
  return ok;
}

// Linear towards black below 128 and towards white above it, truncated;
// only the level's low byte counts, as in the system's pass.
uint32_t ShotFade(uint32_t value, int32_t level) {
  uint32_t l = static_cast<uint32_t>(level) & 0xFF;
  if (l < 128) {
    return value * l / 128;
  }
  return value + (255 - value) * (l - 128) / 128;
}

uint32_t ShotShown(uint32_t colour, uint32_t depth) {
  if (depth != 16 && depth != 15) {
    return colour & 0xFFFFFF;
  }
  uint32_t greenBits = depth == 16 ? 6 : 5;
  return Widen(colour >> 16 & 0xFF, 5) << 16 | Widen(colour >> 8 & 0xFF, greenBits) << 8 | Widen(colour & 0xFF, 5);
}

bool ShotViewFits(const ShotView& v) {
  return v.pixels != nullptr && v.scale > 0 && v.width > 0 && v.height > 0 && v.width <= FrameWidth &&
         v.height <= FrameHeight && uint64_t{v.x} + uint64_t{v.width} * v.scale <= v.imageWidth &&
         uint64_t{v.y} + uint64_t{v.height} * v.scale <= v.imageHeight;
}

std::string ShotName(const ShotView& v) {
  if (!ShotViewFits(v)) {
    return "unknown";
  }
  if (IsBlack(v)) {
    return "black";
  }
  Candidate c;
  Still(c, Read.loadingPalette, Read.loadingPicture, NoFade, v.depth);
  if (Shows(v, c)) {
    return "loading";
  }
  // At 16 and 15 bits neighbouring levels can look the same; the brightest
  // that fits is named. Level 0 is black, named above.
  for (int32_t level = FadeLevelNormal; level > FadeLevelBlack; level--) {
    Still(c, Read.openingPalette, Read.openingPicture, level, v.depth);
    if (Shows(v, c)) {
      return "opening " + std::to_string(level);
    }
    Still(c, Read.closingPalette, Read.closingPicture, level, v.depth);
    if (Shows(v, c)) {
      return "closing " + std::to_string(level);
    }
  }
  uint32_t position = 0;
  int32_t level = 0;
  if (FindScroller(v, &position, &level)) {
    return "scroller " + std::to_string(position) + " " + std::to_string(level);
  }
  return "unknown";
}

std::string ShotClosest(const ShotView& v) {
  if (!ShotViewFits(v)) {
    return "the view does not fit its image";
  }
  Candidate c;
  Still(c, Read.loadingPalette, Read.loadingPicture, NoFade, v.depth);
  uint32_t fewest = Differing(v, c, UINT32_MAX);
  std::string closest = "loading";
  for (int32_t level = FadeLevelNormal; level >= FadeLevelBlack; level--) {
    Still(c, Read.openingPalette, Read.openingPicture, level, v.depth);
    uint32_t wrong = Differing(v, c, fewest);
    if (wrong < fewest) {
      fewest = wrong;
      closest = "opening " + std::to_string(level);
    }
    Still(c, Read.closingPalette, Read.closingPicture, level, v.depth);
    wrong = Differing(v, c, fewest);
    if (wrong < fewest) {
      fewest = wrong;
      closest = "closing " + std::to_string(level);
    }
  }
  return "closest is " + closest + ", " + std::to_string(fewest) + " of " + std::to_string(v.width * v.height) +
         " pixels differ";
}
