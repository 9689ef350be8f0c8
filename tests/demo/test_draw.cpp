// The picture blits and the scroller, checked against a plain reference:
// expand every pixel through the palette, then fade the whole frame.
#include "demo/draw.h"
#include "demo/fade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace {

using Frame = std::vector<uint32_t>;

Frame Current() {
  return Frame(FrameBuffer, FrameBuffer + FramePixels);
}

// The frame a window of `width`-pixel rows, starting at `column`, gives at
// `level`, drawn the slow way.
Frame Reference(const uint32_t* palette, const uint8_t* pixels, uint32_t width,
                uint32_t column, int32_t level) {
  Frame frame(FramePixels);
  for (uint32_t y = 0; y < FrameHeight; ++y) {
    for (uint32_t x = 0; x < FrameWidth; ++x) {
      frame[y * FrameWidth + x] = palette[pixels[y * width + column + x]];
    }
  }
  FadePass(frame.data(), frame.data(), FramePixels, level);
  return frame;
}

Frame ReferencePicture(const uint32_t* palette, const uint8_t* picture, int32_t level) {
  return Reference(palette, picture, FrameWidth, 0, level);
}

Frame ReferenceScroller(uint32_t position, int32_t level) {
  return Reference(Pictures.widePalette, Pictures.widePicture, WideWidth, position, level);
}

class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    Randomise(1);
    BuildFadeTable();
    ScrollPosition.store(0);
    FlickerOffset.store(0);
  }

  // Random palettes, top bytes included, and random pictures.
  void Randomise(uint32_t seed) {
    std::mt19937 random(seed);
    for (uint32_t* palette : {Pictures.widePalette, Pictures.openingPalette,
                              Pictures.closingPalette, Pictures.loadingPalette}) {
      std::generate(palette, palette + PaletteEntries, [&] { return uint32_t(random()); });
    }
    for (uint8_t& b : Pictures.widePicture) {
      b = static_cast<uint8_t>(random());
    }
    for (uint8_t* picture :
         {Pictures.openingPicture, Pictures.closingPicture, Pictures.loadingPicture}) {
      std::generate(picture, picture + FramePixels, [&] { return uint8_t(random()); });
    }
  }

  // A wide picture whose pixel is its column's low byte and a palette that
  // holds each index as its colour, so a frame shows where it was read from.
  void ColumnPicture() {
    for (uint32_t i = 0; i < PaletteEntries; ++i) {
      Pictures.widePalette[i] = i;
    }
    for (uint32_t i = 0; i < WidePixels; ++i) {
      Pictures.widePicture[i] = static_cast<uint8_t>(i % WideWidth);
    }
  }
};

TEST_F(Draw, LoadingPictureIsExpandedWholeWithoutFade) {
  FadeLevel.store(0);
  ShowLoadingPicture();
  Frame frame = Current();
  for (uint32_t i = 0; i < FramePixels; ++i) {
    ASSERT_EQ(frame[i], Pictures.loadingPalette[Pictures.loadingPicture[i]]) << i;
  }
}

TEST_F(Draw, PictureIsDrawnAtTheLevelItReturns) {
  for (int32_t level : {0, 1, 77, 127, 128}) {
    FadeLevel.store(level);
    EXPECT_EQ(ShowPicture(Pictures.openingPalette, Pictures.openingPicture), level);
    ASSERT_EQ(Current(), ReferencePicture(Pictures.openingPalette, Pictures.openingPicture, level))
        << "level " << level;
  }
  // Only the low byte selects the level: 256 draws black but is returned whole.
  FadeLevel.store(256);
  EXPECT_EQ(ShowPicture(Pictures.closingPalette, Pictures.closingPicture), 256);
  EXPECT_TRUE(std::all_of(FrameBuffer, FrameBuffer + FramePixels, [](uint32_t p) { return p == 0; }));
}

// A fade stepping on another thread never splits a frame between two levels.
TEST_F(Draw, PictureUsesOneLevelReadEvenWhileItChanges) {
  const Frame at40 = ReferencePicture(Pictures.openingPalette, Pictures.openingPicture, 40);
  const Frame at100 = ReferencePicture(Pictures.openingPalette, Pictures.openingPicture, 100);
  FadeLevel.store(40);
  std::atomic<bool> stop{false};
  std::thread stepper([&] {
    while (!stop.load()) {
      FadeLevel.store(100, std::memory_order_relaxed);
      FadeLevel.store(40, std::memory_order_relaxed);
    }
  });
  int wrongLevels = 0;
  int wrongFrames = 0;
  for (int i = 0; i < 200; ++i) {
    int32_t level = ShowPicture(Pictures.openingPalette, Pictures.openingPicture);
    if (level != 40 && level != 100) {
      ++wrongLevels;
    } else if (Current() != (level == 40 ? at40 : at100)) {
      ++wrongFrames;
    }
  }
  stop.store(true);
  stepper.join();
  EXPECT_EQ(wrongLevels, 0);
  EXPECT_EQ(wrongFrames, 0);
}

TEST_F(Draw, ScrollerWindowAtBothEnds) {
  ColumnPicture();
  FadeLevel.store(128);
  for (uint32_t position : {0u, ScrollEnd}) {
    ScrollPosition.store(position);
    ShowScroller();
    for (uint32_t y = 0; y < FrameHeight; ++y) {
      for (uint32_t x = 0; x < FrameWidth; ++x) {
        ASSERT_EQ(FrameBuffer[y * FrameWidth + x], (position + x) & 0xFF)
            << "position " << position << " x " << x << " y " << y;
      }
    }
  }
}

TEST_F(Draw, ScrollStepStopsAtTheLastWindow) {
  ScrollStep();
  EXPECT_EQ(ScrollPosition.load(), 1u);
  ScrollPosition.store(ScrollEnd - 1);
  ScrollStep();
  EXPECT_EQ(ScrollPosition.load(), ScrollEnd);
  ScrollStep();
  EXPECT_EQ(ScrollPosition.load(), ScrollEnd);
}

TEST_F(Draw, ScrollerLevelIsFadePlusFlickerNotBelowZero) {
  struct Case {
    int32_t level, offset, effective;
  };
  // 128 + 16 = 144 is the top: brighter than the picture itself.
  for (const Case& k : {Case{5, -16, 0}, Case{0, -3, 0}, Case{128, 16, 144}, Case{0, 9, 9},
                        Case{64, -16, 48}}) {
    FadeLevel.store(k.level);
    FlickerOffset.store(k.offset);
    ScrollPosition.store(1000);
    EXPECT_EQ(ShowScroller(), k.level) << "returns the fade level, not the sum";
    ASSERT_EQ(Current(), ReferenceScroller(1000, k.effective))
        << "level " << k.level << " offset " << k.offset;
    EXPECT_EQ(FadeLevel.load(), k.level);
  }
  FadeLevel.store(5);
  FlickerOffset.store(-16);
  ShowScroller();
  EXPECT_TRUE(std::all_of(FrameBuffer, FrameBuffer + FramePixels, [](uint32_t p) { return p == 0; }));
}

// The per-palette fade gives exactly the frames of expand-then-fade.
TEST_F(Draw, FastPathDrawsTheFramesOfExpandThenFade) {
  for (uint32_t seed = 2; seed < 4; ++seed) {
    Randomise(seed);
    for (int32_t level = 0; level <= 260; level += 7) {
      FadeLevel.store(level);
      ShowPicture(Pictures.closingPalette, Pictures.closingPicture);
      ASSERT_EQ(Current(), ReferencePicture(Pictures.closingPalette, Pictures.closingPicture, level))
          << "seed " << seed << " level " << level;
    }
    std::mt19937 random(seed);
    for (int i = 0; i < 40; ++i) {
      uint32_t position = i < 2 ? i * ScrollEnd : random() % (ScrollEnd + 1);
      int32_t level = static_cast<int32_t>(random() % 129);
      int32_t offset = static_cast<int32_t>(random() % 33) - FlickerRange;
      ScrollPosition.store(position);
      FadeLevel.store(level);
      FlickerOffset.store(offset);
      ShowScroller();
      ASSERT_EQ(Current(), ReferenceScroller(position, std::max(level + offset, 0)))
          << "seed " << seed << " position " << position << " level " << level << " offset "
          << offset;
    }
  }
}

}  // namespace
