// Brightness: the fade table, the shared fade level and the fade pass.
#include "demo/fade.h"

namespace {

constexpr uint32_t ColourValues = 256;
constexpr uint32_t LevelsPerHalf = 128;
constexpr uint32_t ColourMax = 255;
constexpr uint32_t ByteMask = 0xFF;

}  // namespace

// --- state -------------------------------------------------------------------
// Built once at start-up, read-only afterwards: colour value in the high byte
// of the index, level in the low byte.
uint8_t FadeTable[FadeTableBytes];
// Level the frames are drawn at; stepped on the tick thread.
std::atomic<int32_t> FadeLevel{0};

// Each row in two halves with a 16-bit accumulator whose high byte is the
// entry: towards black below level 128, towards white from 128 up. The
// accumulator tops out at 255 * 256, so it never wraps.
void BuildFadeTable() {
  for (uint32_t c = 0; c < ColourValues; ++c) {
    uint8_t* row = FadeTable + c * ColourValues;
    uint16_t accumulator = 0;
    for (uint32_t level = 0; level < LevelsPerHalf; ++level) {
      row[level] = static_cast<uint8_t>(accumulator >> 8);
      accumulator = static_cast<uint16_t>(accumulator + 2 * c);
    }
    accumulator = static_cast<uint16_t>(c << 8);
    for (uint32_t level = LevelsPerHalf; level < ColourValues; ++level) {
      row[level] = static_cast<uint8_t>(accumulator >> 8);
      accumulator = static_cast<uint16_t>(accumulator + 2 * (ColourMax - c));
    }
  }
  FadeLevel.store(FadeLevelNormal, std::memory_order_relaxed);
}

// The top byte of the source carries no colour and is written as 0. Each
// pixel is read before its destination is written, so it works in place.
void FadePass(const uint32_t* source, uint32_t* destination, uint32_t count, int32_t level) {
  const uint8_t* column = FadeTable + (static_cast<uint32_t>(level) & ByteMask);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t p = source[i];
    uint32_t blue = column[(p & ByteMask) << 8];
    uint32_t green = column[((p >> 8) & ByteMask) << 8];
    uint32_t red = column[((p >> 16) & ByteMask) << 8];
    destination[i] = red << 16 | green << 8 | blue;
  }
}

// Tick routines. While their slot is armed they are the level's only writer,
// so the test and the change need not be one atomic step.
void FadeInStep() {
  int32_t level = FadeLevel.load(std::memory_order_relaxed);
  if (level != FadeLevelNormal) {
    FadeLevel.store(level + 1, std::memory_order_relaxed);
  }
}

void FadeOutStep() {
  int32_t level = FadeLevel.load(std::memory_order_relaxed);
  if (level != FadeLevelBlack) {
    FadeLevel.store(level - 1, std::memory_order_relaxed);
  }
}
