// The quantiser and the picture files: exact palettes stay exact, smooth
// gradients keep their steps, results do not depend on the run, and the
// PNG and item forms carry the same picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "content/lib/pngio.h"
#include "content/lib/quantise.h"

namespace {

using content::Canvas;
using content::IndexedImage;
using content::Quantise;
using content::QuantiseOptions;
using content::Rgb;

std::string TempPath(const std::string& name) {
  return std::string(::testing::TempDir()) + "/qz_quantise_" + name;
}

Canvas Sunset(int w, int h) {
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float t = float(y) / float(h - 1);
      float u = float(x) / float(w - 1);
      c.At(x, y) = {0.05f + 0.9f * t, 0.1f + 0.4f * t * u, 0.5f - 0.4f * t + 0.2f * u};
    }
  }
  return c;
}

TEST(Quantise, FewColoursAreKeptExactly) {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      // 200 distinct colours, every one of them a different grey-blue.
      int k = (y * 16 + x) % 200;
      c.At(x, y) = {float(k) / 255.0f, float(k) / 255.0f, 1.0f - float(k) / 400.0f};
    }
  }
  IndexedImage q = Quantise(c, QuantiseOptions{0.8f, 4});
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(q.palette[q.pixels[size_t(y * 16 + x)]], content::ToRgb8(c.At(x, y)));
    }
  }
}

TEST(Quantise, SmoothGradientsKeepTheirSteps) {
  // One long vertical ramp with more shades than the palette can hold: the
  // palette should spend nearly all its entries on it, in order.
  Canvas c(8, 600);
  for (int y = 0; y < 600; ++y) {
    float t = float(y) / 599.0f;
    for (int x = 0; x < 8; ++x) {
      c.At(x, y) = {0.05f + 0.95f * t, 0.1f + 0.5f * t, 0.3f - 0.1f * t};
    }
  }
  IndexedImage q = Quantise(c, QuantiseOptions{0, 8});
  std::set<uint8_t> column;
  int backwards = 0;
  for (int y = 0; y < 600; ++y) {
    uint8_t k = q.pixels[size_t(y) * 8];
    column.insert(k);
    // The palette is sorted by lightness, so a rising ramp never steps back.
    if (y > 0 && k < q.pixels[size_t(y - 1) * 8]) {
      ++backwards;
    }
  }
  EXPECT_GE(column.size(), 200u);
  EXPECT_EQ(backwards, 0);
  EXPECT_LT(content::QuantiseError(c, q), 0.004);

  Canvas sunset = Sunset(320, 240);
  EXPECT_LT(content::QuantiseError(sunset, Quantise(sunset, QuantiseOptions{0, 8})), 0.01);
  EXPECT_LT(content::QuantiseError(sunset, Quantise(sunset, QuantiseOptions{1, 8})), 0.02);
}

TEST(Quantise, SameInputSameBytes) {
  Canvas c = Sunset(200, 100);
  IndexedImage a = Quantise(c, QuantiseOptions{0.6f, 8});
  IndexedImage b = Quantise(c, QuantiseOptions{0.6f, 8});
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(a.palette, b.palette);
}

TEST(Quantise, PaletteIsSortedDarkestFirst) {
  IndexedImage q = Quantise(Sunset(64, 64), QuantiseOptions{0, 4});
  auto luma = [](const content::Rgb8& c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; };
  EXPECT_LT(luma(q.palette[0]), luma(q.palette[128]));
  EXPECT_LT(luma(q.palette[128]), luma(q.palette[255]));
}

TEST(PictureFiles, IndexedPngRoundTripKeepsIndicesAndPalette) {
  IndexedImage q = Quantise(Sunset(40, 30), QuantiseOptions{0.5f, 4});
  std::string path = TempPath("round.png");
  std::string error;
  ASSERT_TRUE(content::WriteIndexedPng(path, q, error)) << error;
  content::PngPicture back;
  ASSERT_TRUE(content::ReadPng(path, back, error)) << error;
  ASSERT_TRUE(back.indexed);
  EXPECT_EQ(back.image.width, 40);
  EXPECT_EQ(back.image.height, 30);
  EXPECT_EQ(back.image.pixels, q.pixels);
  EXPECT_EQ(back.image.palette, q.palette);
  std::remove(path.c_str());
}

TEST(PictureFiles, PaletteItemIsBlueGreenRedZero) {
  IndexedImage q;
  q.palette[0] = {0x11, 0x22, 0x33};
  q.palette[255] = {0xAA, 0xBB, 0xCC};
  std::vector<uint8_t> item = content::PaletteItem(q);
  ASSERT_EQ(item.size(), 1024u);
  EXPECT_EQ(item[0], 0x33);
  EXPECT_EQ(item[1], 0x22);
  EXPECT_EQ(item[2], 0x11);
  EXPECT_EQ(item[3], 0);
  EXPECT_EQ(item[1020], 0xCC);
  EXPECT_EQ(item[1022], 0xAA);
  IndexedImage back;
  std::string error;
  ASSERT_TRUE(content::ReadPaletteItem(item, back, error));
  EXPECT_EQ(back.palette, q.palette);
}

TEST(PictureFiles, BadInputIsRefusedWithAReason) {
  std::string error;
  content::PngPicture png;
  EXPECT_FALSE(content::ReadPng(TempPath("missing.png"), png, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);

  std::string path = TempPath("not.png");
  ASSERT_TRUE(content::WriteFile(path, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}, error));
  EXPECT_FALSE(content::ReadPng(path, png, error));
  EXPECT_NE(error.find("not a PNG"), std::string::npos);

  // A PNG cut short after its header fails inside libpng, cleanly.
  IndexedImage q = Quantise(Sunset(40, 30), QuantiseOptions{});
  ASSERT_TRUE(content::WriteIndexedPng(path, q, error));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(content::ReadFile(path, bytes, error));
  bytes.resize(60);
  ASSERT_TRUE(content::WriteFile(path, bytes, error));
  error.clear();
  EXPECT_FALSE(content::ReadPng(path, png, error));
  EXPECT_FALSE(error.empty());
  std::remove(path.c_str());

  IndexedImage back;
  EXPECT_FALSE(content::ReadPaletteItem(std::vector<uint8_t>(1000), back, error));
  EXPECT_NE(error.find("1024"), std::string::npos);
}

}  // namespace
