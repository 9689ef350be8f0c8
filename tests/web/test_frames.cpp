// The naming of canvas pictures: frames put together here pixel by pixel
// from the program file's pictures and the fade table must be named as the
// frame they are, with the right level and window, and a picture that is
// off by one pixel or in the wrong colour depth must not be.
#include "demo/draw.h"
#include "demo/fade.h"
#include "tests/web/frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Frame = std::vector<uint32_t>;

uint32_t Faded(uint32_t colour, int32_t level) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    out |= uint32_t{FadeTable[(colour >> shift & 0xFF) * 256 + static_cast<uint32_t>(level)]} << shift;
  }
  return out;
}

Frame PictureFrame(const uint32_t* palette, const uint8_t* picture, int32_t level) {
  Frame f(FramePixels);
  for (uint32_t i = 0; i < FramePixels; i++) {
    f[i] = Faded(palette[picture[i]] & 0xFFFFFF, level);
  }
  return f;
}

Frame ScrollerFrame(uint32_t position, int32_t level) {
  Frame f(FramePixels);
  for (uint32_t y = 0; y < FrameHeight; y++) {
    for (uint32_t x = 0; x < FrameWidth; x++) {
      uint8_t index = Pictures.widePicture[y * WideWidth + position + x];
      f[y * FrameWidth + x] = Faded(Pictures.widePalette[index] & 0xFFFFFF, level);
    }
  }
  return f;
}

// 5-6-5: the top bits of each channel, spread back over eight bits.
Frame SixteenBits(Frame f) {
  for (uint32_t& p : f) {
    uint32_t r = p >> 19 & 0x1F, g = p >> 10 & 0x3F, b = p >> 3 & 0x1F;
    p = (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }
  return f;
}

class FrameNames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(LoadReferencePictures(QZ_PROGRAM_FILE)); }
  void SetUp() override { UseReferenceDepth(32); }
};

TEST_F(FrameNames, NamesEachKindOfFrame) {
  EXPECT_EQ(ClassifyFrame(Frame(FramePixels, 0).data()), "black");
  EXPECT_EQ(ClassifyFrame(PictureFrame(Pictures.loadingPalette, Pictures.loadingPicture, FadeLevelNormal).data()),
            "loading");
  EXPECT_EQ(ClassifyFrame(PictureFrame(Pictures.openingPalette, Pictures.openingPicture, 37).data()), "opening 37");
  EXPECT_EQ(ClassifyFrame(PictureFrame(Pictures.closingPalette, Pictures.closingPicture, 90).data()), "closing 90");
  EXPECT_EQ(ClassifyFrame(ScrollerFrame(1234, 100).data()), "scroller 1234 100");
  EXPECT_EQ(ClassifyFrame(ScrollerFrame(0, 140).data()), "scroller 0 140");
  EXPECT_EQ(ClassifyFrame(ScrollerFrame(ScrollEnd, 60).data()), "scroller 2880 60");
}

TEST_F(FrameNames, APictureOffByOnePixelIsUnknown) {
  Frame opening = PictureFrame(Pictures.openingPalette, Pictures.openingPicture, 64);
  opening[FramePixels / 2] ^= 0x010000;
  EXPECT_EQ(ClassifyFrame(opening.data()), "unknown");
  Frame scroller = ScrollerFrame(700, 128);
  scroller[FramePixels - 1] ^= 0x000100;
  EXPECT_EQ(ClassifyFrame(scroller.data()), "unknown");
}

TEST_F(FrameNames, SixteenBitFramesAreNamedOnlyAtSixteenBits) {
  Frame loading = SixteenBits(PictureFrame(Pictures.loadingPalette, Pictures.loadingPicture, FadeLevelNormal));
  Frame scroller = SixteenBits(ScrollerFrame(2000, 110));
  EXPECT_EQ(ClassifyFrame(loading.data()), "unknown");
  UseReferenceDepth(16);
  EXPECT_EQ(ClassifyFrame(loading.data()), "loading");
  EXPECT_EQ(ClassifyFrame(scroller.data()).rfind("scroller 2000 ", 0), 0u);
  UseReferenceDepth(15);
  EXPECT_EQ(ClassifyFrame(loading.data()), "unknown");
}

}  // namespace
