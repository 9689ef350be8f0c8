// The scroller's flicker and the 16-bit generator behind it.
#include "demo/draw.h"
#include "demo/fade.h"

#include <bit>

namespace {

constexpr uint32_t RandomMultiplierSeed = 20021;  // 0x4E35
constexpr uint32_t RandomDivisor = 65535;         // so n itself can come out
constexpr uint32_t WordMask = 0xFFFF;
constexpr uint32_t RotationMask = 31;

uint32_t PackRandomState(uint32_t value, uint32_t multiplier) {
  return (value & WordMask) | (multiplier & WordMask) << 16;
}

}  // namespace

// --- state -------------------------------------------------------------------
// Brightness offset of the scroller; written by the flicker tick routine.
std::atomic<int32_t> FlickerOffset{0};
// value in the low half, multiplier in the high half; both 0 until seeded.
std::atomic<uint32_t> RandomState{0};

void RandomSeed(uint16_t seed) {
  uint32_t value = static_cast<uint32_t>(seed >> 8) * (seed & 0xFF);
  RandomState.store(PackRandomState(value, RandomMultiplierSeed), std::memory_order_relaxed);
}

// Returns 0..n; n only when the stepped value is 65,535. The result, rotated
// by its own high byte, is fed back into both words.
uint16_t RandomNext(uint16_t n) {
  uint32_t state = RandomState.load(std::memory_order_relaxed);
  uint32_t value = state & WordMask;
  uint32_t multiplier = state >> 16;

  value = (value * multiplier + 1) & WordMask;
  uint32_t r = value * n / RandomDivisor;
  uint32_t k = (r >> 8) & RotationMask;
  uint32_t w = std::rotl(r, static_cast<int>(k)) & WordMask;
  uint32_t swapped = (w >> 8 | w << 8) & WordMask;
  value = (value + w) & WordMask;
  multiplier = (multiplier - swapped) & WordMask;

  RandomState.store(PackRandomState(value, multiplier), std::memory_order_relaxed);
  return static_cast<uint16_t>(r);
}

// Tick routines.
void FlickerStep() {
  FlickerOffset.store(static_cast<int32_t>(RandomNext(2 * FlickerRange)) - FlickerRange,
                      std::memory_order_relaxed);
}

void FlickerFadeInStep() {
  FlickerStep();
  FadeInStep();
}
