// The flicker generator, bit for bit, and the flicker tick routines.
#include "demo/draw.h"
#include "demo/fade.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Draw(uint16_t seed, uint16_t n, size_t count) {
  RandomSeed(seed);
  std::vector<uint32_t> out;
  for (size_t i = 0; i < count; ++i) {
    out.push_back(RandomNext(n));
  }
  return out;
}

uint32_t Packed(uint32_t value, uint32_t multiplier) {
  return value | multiplier << 16;
}

TEST(Random, SeedMultipliesTheSeedsBytes) {
  RandomSeed(0x0203);
  EXPECT_EQ(RandomState.load(), Packed(6, 20021));
  RandomSeed(0xFFFF);
  EXPECT_EQ(RandomState.load(), Packed(0xFE01, 20021));
  RandomSeed(0x00FF);
  EXPECT_EQ(RandomState.load(), Packed(0, 20021));
}

TEST(Random, SeedAndRangeFixTheWholeSequence) {
  EXPECT_EQ(Draw(0x0203, 32, 12),
            (std::vector<uint32_t>{26, 7, 22, 16, 27, 25, 20, 7, 18, 17, 15, 15}));
  EXPECT_EQ(Draw(0x0203, 1000, 8),
            (std::vector<uint32_t>{833, 650, 183, 615, 11, 90, 741, 53}));
  // Results above 255 rotate before they are fed back.
  EXPECT_EQ(Draw(0x0203, 65535, 8), (std::vector<uint32_t>{54591, 16238, 15919, 62487, 24331,
                                                           39297, 29997, 59534}));
  EXPECT_EQ(Draw(0, 32, 12),
            (std::vector<uint32_t>{0, 9, 5, 25, 30, 15, 16, 14, 5, 25, 2, 18}));
}

TEST(Random, SmallResultsGrowValueAndShrinkMultiplierByTheirHighByte) {
  RandomSeed(0x0203);
  EXPECT_EQ(RandomNext(0), 0u);
  // Only the step 6 * 20021 + 1 (mod 65536).
  EXPECT_EQ(RandomState.load(), Packed(54591, 20021));

  uint32_t r = RandomNext(32);
  uint32_t stepped = (54591u * 20021u + 1) & 0xFFFF;
  EXPECT_EQ(RandomState.load(), Packed((stepped + r) & 0xFFFF, (20021 - r * 256) & 0xFFFF));
}

TEST(Random, ReturnsNOnlyWhenTheValueSteppedToTheTop) {
  // 1 * 65534 + 1 = 65535.
  RandomState.store(Packed(1, 65534));
  EXPECT_EQ(RandomNext(32), 32u);
  RandomState.store(Packed(1, 65533));
  EXPECT_EQ(RandomNext(32), 31u);
}

TEST(Flicker, StepDrawsAnOffsetAroundZero) {
  RandomSeed(0x0203);
  std::vector<int32_t> offsets;
  for (int i = 0; i < 4; ++i) {
    FlickerStep();
    offsets.push_back(FlickerOffset.load());
  }
  EXPECT_EQ(offsets, (std::vector<int32_t>{10, -9, 6, 0}));

  RandomState.store(Packed(1, 65534));
  FlickerStep();
  EXPECT_EQ(FlickerOffset.load(), 16);
  RandomSeed(0x00FF);  // value 0: 0 * m + 1 gives r = 0
  FlickerStep();
  EXPECT_EQ(FlickerOffset.load(), -16);
}

TEST(Flicker, FadeInStepFlickersAndFadesInOneCall) {
  RandomSeed(0x0203);
  FadeLevel.store(127);
  FlickerFadeInStep();
  EXPECT_EQ(FlickerOffset.load(), 10);
  EXPECT_EQ(FadeLevel.load(), 128);
  FlickerFadeInStep();
  EXPECT_EQ(FlickerOffset.load(), -9);
  EXPECT_EQ(FadeLevel.load(), 128);
}

}  // namespace
