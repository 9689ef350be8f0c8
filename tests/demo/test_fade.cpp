// The fade table's values, the fade pass and the fade steppers.
#include "demo/fade.h"

#include <gtest/gtest.h>

#include <array>

namespace {

uint8_t Entry(uint32_t c, uint32_t level) {
  return FadeTable[c * 256 + level];
}

class Fade : public ::testing::Test {
 protected:
  void SetUp() override { BuildFadeTable(); }
};

TEST_F(Fade, SampleEntriesRoundDownOnBothRamps) {
  struct Case {
    uint32_t c, level;
    uint8_t expected;
  };
  const Case cases[] = {{255, 127, 253}, {0, 255, 253}, {128, 255, 254}, {255, 255, 255},
                        {100, 200, 187}, {200, 64, 100}, {1, 127, 0},    {255, 1, 1},
                        {0, 129, 1},     {255, 129, 255}};
  for (const Case& k : cases) {
    EXPECT_EQ(Entry(k.c, k.level), k.expected) << "c=" << k.c << " L=" << k.level;
  }
}

// The accumulator build checked against the two linear ramps, entry by entry.
TEST_F(Fade, TableFollowsTheRampsTowardsBlackAndWhite) {
  for (uint32_t c = 0; c < 256; ++c) {
    EXPECT_EQ(Entry(c, 0), 0u);
    EXPECT_EQ(Entry(c, 128), c);
    for (uint32_t level = 0; level < 256; ++level) {
      uint32_t expected =
          level < 128 ? level * c / 128 : c + (level - 128) * (255 - c) / 128;
      ASSERT_EQ(Entry(c, level), expected) << "c=" << c << " L=" << level;
    }
  }
}

TEST_F(Fade, BuildSetsTheNormalLevel) {
  FadeLevel.store(3);
  BuildFadeTable();
  EXPECT_EQ(FadeLevel.load(), 128);
}

// Colour bytes of every value in each channel, with assorted top bytes.
std::array<uint32_t, 256> Pixels() {
  std::array<uint32_t, 256> pixels{};
  for (uint32_t i = 0; i < 256; ++i) {
    pixels[i] = (i * 0x3Du & 0xFF) << 24 | i << 16 | (255 - i) << 8 | (i * 7 & 0xFF);
  }
  return pixels;
}

std::array<uint32_t, 256> Faded(const std::array<uint32_t, 256>& pixels, int32_t level) {
  std::array<uint32_t, 256> out{};
  FadePass(pixels.data(), out.data(), 256, level);
  return out;
}

TEST_F(Fade, PassAtNormalKeepsColoursAndAtBlackClearsThem) {
  const auto pixels = Pixels();
  const auto normal = Faded(pixels, 128);
  const auto black = Faded(pixels, 0);
  for (uint32_t i = 0; i < 256; ++i) {
    EXPECT_EQ(normal[i], pixels[i] & 0xFFFFFF) << i;
    EXPECT_EQ(black[i], 0u) << i;
  }
}

TEST_F(Fade, PassLooksUpEachChannelAtItsLevel) {
  const auto pixels = Pixels();
  for (int32_t level : {1, 64, 127, 129, 200, 255}) {
    const auto out = Faded(pixels, level);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t p = pixels[i];
      uint32_t expected = uint32_t{Entry(p >> 16 & 0xFF, level)} << 16 |
                          uint32_t{Entry(p >> 8 & 0xFF, level)} << 8 | Entry(p & 0xFF, level);
      ASSERT_EQ(out[i], expected) << "level " << level << " pixel " << i;
    }
  }
}

TEST_F(Fade, PassUsesOnlyTheLowByteOfTheLevel) {
  const auto pixels = Pixels();
  EXPECT_EQ(Faded(pixels, 256), Faded(pixels, 0));
  EXPECT_EQ(Faded(pixels, 384), Faded(pixels, 128));
  EXPECT_EQ(Faded(pixels, -1), Faded(pixels, 255));
}

TEST_F(Fade, PassIgnoresTheSourceTopByteAndWritesItZero) {
  auto pixels = Pixels();
  const auto before = Faded(pixels, 90);
  for (uint32_t& p : pixels) {
    p ^= 0xFF000000;
  }
  const auto after = Faded(pixels, 90);
  EXPECT_EQ(before, after);
  for (uint32_t p : after) {
    EXPECT_EQ(p >> 24, 0u);
  }
}

TEST_F(Fade, PassWorksInPlaceAndStopsAtItsCount) {
  auto pixels = Pixels();
  const auto separate = Faded(pixels, 45);
  const uint32_t untouched = pixels[200];
  FadePass(pixels.data(), pixels.data(), 200, 45);
  for (uint32_t i = 0; i < 200; ++i) {
    ASSERT_EQ(pixels[i], separate[i]) << i;
  }
  EXPECT_EQ(pixels[200], untouched);
}

TEST_F(Fade, SteppersMoveOneLevelAndStopAtTheirEnds) {
  FadeLevel.store(128);
  FadeInStep();
  EXPECT_EQ(FadeLevel.load(), 128);

  for (int i = 0; i < 128; ++i) {
    FadeOutStep();
  }
  EXPECT_EQ(FadeLevel.load(), 0);
  FadeOutStep();
  EXPECT_EQ(FadeLevel.load(), 0);

  FadeInStep();
  EXPECT_EQ(FadeLevel.load(), 1);
  for (int i = 0; i < 200; ++i) {
    FadeInStep();
  }
  EXPECT_EQ(FadeLevel.load(), 128);
}

}  // namespace
