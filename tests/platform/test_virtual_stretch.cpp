// The virtual platform's copy into its window: rectangles that reach past
// the window are clipped to it, source pixels beyond the bitmap are black,
// and far-off coordinates do not overflow.
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"
#include "platform/virtual/virtual.h"
#include "tests/common/memory_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr int32_t ScreenWidth = 6;
constexpr int32_t ScreenHeight = 4;
constexpr int32_t SourceWidth = 4;
constexpr int32_t SourceHeight = 3;
constexpr uint32_t P = 0x00ABCDEF;   // paper: what the window held before

using Rows = std::vector<std::vector<uint32_t>>;

Rows Shown;            // the window's picture at the last present
int Presents = 0;

void Capture(const uint32_t* pixels, uint32_t width, uint32_t height, uint64_t) {
  Shown.assign(height, std::vector<uint32_t>(width));
  for (uint32_t y = 0; y < height; y++) {
    for (uint32_t x = 0; x < width; x++) {
      Shown[y][x] = pixels[y * width + x];
    }
  }
  Presents++;
}

intptr_t Procedure(uintptr_t, uint32_t, uint32_t, uint32_t) { return 0; }

// Source pixel of column c, row r (rows counted from the top): 0xRC, both
// from 1, so that every pixel and black tell apart.
uint32_t SourceAt(int32_t c, int32_t r) { return static_cast<uint32_t>((r + 1) << 4 | (c + 1)); }

class VirtualStretch : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    VirtualSetPresentHook(Capture);
    PlatWindowClass windowClass{0, Procedure, 0, 0, PlatProgramInstance(), "stretch"};
    ASSERT_TRUE(PlatRegisterClass(&windowClass));
    uintptr_t window = PlatCreateWindow(0, "stretch", "t", WS_CAPTION, 0, 0, ScreenWidth, ScreenHeight, 0);
    ASSERT_NE(window, 0u);
    WindowDC = PlatGetDC(window);
    uint32_t* bits = nullptr;
    TopDown = TestMemoryBitmap(SourceWidth, -SourceHeight, &bits);
    ASSERT_NE(bits, nullptr);
    for (int32_t r = 0; r < SourceHeight; r++) {
      for (int32_t c = 0; c < SourceWidth; c++) {
        bits[r * SourceWidth + c] = SourceAt(c, r);
      }
    }
    BottomUp = TestMemoryBitmap(SourceWidth, SourceHeight, &bits);
    ASSERT_NE(bits, nullptr);
    for (int32_t r = 0; r < SourceHeight; r++) {
      for (int32_t c = 0; c < SourceWidth; c++) {
        bits[(SourceHeight - 1 - r) * SourceWidth + c] = SourceAt(c, r);
      }
    }
    Paper = TestMemoryBitmap(1, 1, &bits);
    ASSERT_NE(bits, nullptr);
    bits[0] = P;
  }

  // Every test starts on a window covered with paper.
  void SetUp() override {
    ASSERT_TRUE(PlatStretchBlt(WindowDC, 0, 0, ScreenWidth, ScreenHeight, Paper, 0, 0, 1, 1, SRCCOPY));
    ASSERT_EQ(Shown, Rows(ScreenHeight, std::vector<uint32_t>(ScreenWidth, P)));
    Presents = 0;
  }

  // Copies from the top-down bitmap and returns the window's picture.
  static Rows Stretch(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX, int32_t sourceY,
                      int32_t sourceWidth, int32_t sourceHeight, uintptr_t source = TopDown) {
    EXPECT_TRUE(PlatStretchBlt(WindowDC, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                               sourceHeight, SRCCOPY));
    return Shown;
  }

  static uintptr_t WindowDC;
  static uintptr_t TopDown;
  static uintptr_t BottomUp;
  static uintptr_t Paper;
};

uintptr_t VirtualStretch::WindowDC = 0;
uintptr_t VirtualStretch::TopDown = 0;
uintptr_t VirtualStretch::BottomUp = 0;
uintptr_t VirtualStretch::Paper = 0;

TEST_F(VirtualStretch, ARectangleAboveAndLeftOfTheWindowShowsOnlyItsLowerRightPart) {
  EXPECT_EQ(Stretch(-1, -1, 4, 3, 0, 0, 4, 3), (Rows{{0x22, 0x23, 0x24, P, P, P},
                                                     {0x32, 0x33, 0x34, P, P, P},
                                                     {P, P, P, P, P, P},
                                                     {P, P, P, P, P, P}}));
}

TEST_F(VirtualStretch, ARectangleBeyondTheRightAndBottomEdgesIsCutThere) {
  EXPECT_EQ(Stretch(4, 2, 4, 3, 0, 0, 4, 3), (Rows{{P, P, P, P, P, P},
                                                   {P, P, P, P, P, P},
                                                   {P, P, P, P, 0x11, 0x12},
                                                   {P, P, P, P, 0x21, 0x22}}));
}

TEST_F(VirtualStretch, AnEnlargedRectangleKeepsItsScaleWhereItIsClipped) {
  // Twice the size, two columns off the left edge: window column c shows
  // source column (c + 2) / 2, row r source row r / 2.
  EXPECT_EQ(Stretch(-2, 0, 8, 6, 0, 0, 4, 3), (Rows{{0x12, 0x12, 0x13, 0x13, 0x14, 0x14},
                                                    {0x12, 0x12, 0x13, 0x13, 0x14, 0x14},
                                                    {0x22, 0x22, 0x23, 0x23, 0x24, 0x24},
                                                    {0x22, 0x22, 0x23, 0x23, 0x24, 0x24}}));
}

TEST_F(VirtualStretch, AReducedRectangleTakesTheNearestPixelBelow) {
  // Four columns onto two, three rows onto one: source columns 0 and 2, row 0.
  EXPECT_EQ(Stretch(1, 3, 2, 1, 0, 0, 4, 3), (Rows{{P, P, P, P, P, P},
                                                   {P, P, P, P, P, P},
                                                   {P, P, P, P, P, P},
                                                   {P, 0x11, 0x13, P, P, P}}));
}

TEST_F(VirtualStretch, SourcePixelsBeyondTheBitmapAreBlack) {
  EXPECT_EQ(Stretch(0, 0, 6, 4, 2, 1, 6, 4), (Rows{{0x23, 0x24, 0, 0, 0, 0},
                                                   {0x33, 0x34, 0, 0, 0, 0},
                                                   {0, 0, 0, 0, 0, 0},
                                                   {0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(Stretch(0, 0, 3, 2, -1, -1, 3, 2), (Rows{{0, 0, 0, 0, 0, 0},
                                                     {0, 0x11, 0x12, 0, 0, 0},
                                                     {0, 0, 0, 0, 0, 0},
                                                     {0, 0, 0, 0, 0, 0}}));
}

TEST_F(VirtualStretch, ABottomUpBitmapShowsTheSamePicture) {
  Rows topDown = Stretch(1, 0, 4, 3, 0, 0, 4, 3);
  ASSERT_TRUE(PlatStretchBlt(WindowDC, 0, 0, ScreenWidth, ScreenHeight, Paper, 0, 0, 1, 1, SRCCOPY));
  EXPECT_EQ(Stretch(1, 0, 4, 3, 0, 0, 4, 3, BottomUp), topDown);
  EXPECT_EQ(topDown[0][1], 0x11u);
  EXPECT_EQ(topDown[2][4], 0x34u);
}

TEST_F(VirtualStretch, ARectangleWhollyOutsideTheWindowChangesNothingButStillPresents) {
  const Rows paper(ScreenHeight, std::vector<uint32_t>(ScreenWidth, P));
  EXPECT_EQ(Stretch(ScreenWidth, 0, 4, 3, 0, 0, 4, 3), paper);
  EXPECT_EQ(Stretch(-4, 0, 4, 3, 0, 0, 4, 3), paper);
  EXPECT_EQ(Stretch(0, ScreenHeight, 4, 3, 0, 0, 4, 3), paper);
  EXPECT_EQ(Stretch(0, -3, 4, 3, 0, 0, 4, 3), paper);
  EXPECT_EQ(Presents, 4);
}

TEST_F(VirtualStretch, FarOffCoordinatesDoNotOverflow) {
  const Rows paper(ScreenHeight, std::vector<uint32_t>(ScreenWidth, P));
  EXPECT_EQ(Stretch(INT32_MAX - 2, 0, INT32_MAX, 3, 0, 0, 4, 3), paper);
  EXPECT_EQ(Stretch(0, INT32_MAX, 4, INT32_MAX, 0, 0, 4, 3), paper);
  // A huge rectangle starting far to the left: the window sees the last
  // source column of its first source row, (2e9 + c) x 4 / (2e9 + 6) = 3.
  Rows far = Stretch(-2000000000, 0, 2000000006, 1, 0, 0, 4, 3);
  EXPECT_EQ(far[0], std::vector<uint32_t>(ScreenWidth, 0x14));
  // A huge source rectangle: window column c shows source column c x 1e9 / 6.
  Rows wide = Stretch(0, 0, 6, 1, 0, 0, 1000000000, 3);
  EXPECT_EQ(wide[0], (std::vector<uint32_t>{0x11, 0, 0, 0, 0, 0}));
}

TEST_F(VirtualStretch, RefusedCopiesNeitherDrawNorPresent) {
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 0, 3, TopDown, 0, 0, 4, 3, SRCCOPY));
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 4, -3, TopDown, 0, 0, 4, 3, SRCCOPY));
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 4, 3, TopDown, 0, 0, 0, 3, SRCCOPY));
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 4, 3, TopDown, 0, 0, 4, -1, SRCCOPY));
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 4, 3, TopDown, 0, 0, 4, 3, 0x00EE0086));
  EXPECT_FALSE(PlatStretchBlt(TopDown, 0, 0, 4, 3, Paper, 0, 0, 1, 1, SRCCOPY)) << "into a memory context";
  EXPECT_FALSE(PlatStretchBlt(WindowDC, 0, 0, 4, 3, WindowDC, 0, 0, 4, 3, SRCCOPY)) << "from the window";
  EXPECT_EQ(Presents, 0);
  EXPECT_EQ(Shown, Rows(ScreenHeight, std::vector<uint32_t>(ScreenWidth, P)));
}

}  // namespace
