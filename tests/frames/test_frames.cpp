// The screenshot naming, an oracle for the stages that watch real runs. Its
// fade and depth colours against literal values; the naming on a small
// program file of known pictures, painted here pixel by pixel (placed,
// scaled, partly compared, at 16 bits); and, on the delivered program
// file, the frames the system's own start-up and drawing make.
#include "app/startup.h"
#include "archive/archive.h"
#include "base/names.h"
#include "demo/draw.h"
#include "demo/fade.h"
#include "platform/common/depth.h"
#include "tests/common/program_items.h"
#include "tests/frames/frames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

using Screen = std::vector<uint32_t>;

ShotView WholeFrame(const Screen& s, uint32_t depth = 32) {
  return ShotView{s.data(), FrameWidth, FrameHeight, 0, 0, FrameWidth, FrameHeight, 1, depth};
}

TEST(ShotColours, FadeAndDepthGiveTheValuesDisplaysShow) {
  struct {
    uint32_t value;
    int32_t level;
    uint32_t faded;
  } const fades[] = {{255, 127, 253}, {0, 255, 253}, {128, 255, 254}, {255, 255, 255}, {100, 200, 187},
                     {200, 64, 100},  {1, 127, 0},   {255, 1, 1},     {0, 129, 1},     {255, 129, 255},
                     {77, 128, 77},   {77, 0, 0},    {200, 256, 0},   {6, 144, 37},    {249, 144, 249}};
  for (const auto& f : fades) {
    EXPECT_EQ(ShotFade(f.value, f.level), f.faded) << f.value << " at " << f.level;
  }
  EXPECT_EQ(ShotShown(0x00FFFFFF, 16), 0x00FFFFFFu);
  EXPECT_EQ(ShotShown(0x00808080, 16), 0x00848284u);
  EXPECT_EQ(ShotShown(0x00808080, 15), 0x00848484u);
  EXPECT_EQ(ShotShown(0x00070307, 16), 0x00000000u);
  EXPECT_EQ(ShotShown(0x00080408, 16), 0x00080408u);
  EXPECT_EQ(ShotShown(0x00204060, 16), 0x00214163u);
  EXPECT_EQ(ShotShown(0x00204060, 15), 0x00214263u);
  EXPECT_EQ(ShotShown(0xFF123456, 32), 0x00123456u);
  EXPECT_EQ(ShotShown(0x00123456, 24), 0x00123456u);
}

// --- a program file of known pictures --------------------------------------
// Loading: 0x204060 with a white diagonal. Opening: (200, 100, 255) with
// one pixel (255, 0, 128) at (10, 20). Closing: 0xFF8000 above row 120,
// 0x0080FF below. Wide: bands 16 columns wide, band b (b, 255 - b, 128):
// every window position and fade level looks different.
uint32_t LoadingPalette(uint32_t i) { return i == 1 ? 0x00FFFFFF : 0x00204060; }
uint8_t LoadingIndex(uint32_t i) { return i / FrameWidth == i % FrameWidth ? 1 : 0; }
uint32_t OpeningPalette(uint32_t i) { return i == 1 ? 0x00FF0080 : 0x00C864FF; }
uint8_t OpeningIndex(uint32_t i) { return i == 20 * FrameWidth + 10 ? 1 : 0; }
uint32_t ClosingPalette(uint32_t i) { return i == 1 ? 0x000080FF : 0x00FF8000; }
uint8_t ClosingIndex(uint32_t i) { return i / FrameWidth >= 120 ? 1 : 0; }
uint32_t WidePalette(uint32_t i) { return i << 16 | (255 - i) << 8 | 0x80; }
uint8_t WideIndex(uint32_t i) { return static_cast<uint8_t>(i % WideWidth / 16); }
uint8_t Zero(uint32_t) { return 0; }

// The colour of the wide picture's band under frame column x at position p.
uint32_t BandColour(uint32_t p, uint32_t x) { return WidePalette((p + x) / 16); }

// Level 64 halves every channel, dropping the half.
uint32_t Halved(uint32_t c) { return (c >> 1) & 0x7F7F7F; }

Screen Paint(uint32_t (*pixel)(uint32_t x, uint32_t y)) {
  Screen s(FramePixels);
  for (uint32_t y = 0; y < FrameHeight; y++) {
    for (uint32_t x = 0; x < FrameWidth; x++) {
      s[y * FrameWidth + x] = pixel(x, y);
    }
  }
  return s;
}

Screen Loading() { return Paint([](uint32_t x, uint32_t y) { return x == y ? 0x00FFFFFFu : 0x00204060u; }); }
Screen Opening() { return Paint([](uint32_t x, uint32_t y) { return x == 10 && y == 20 ? 0x00FF0080u : 0x00C864FFu; }); }
Screen OpeningHalved() {
  return Paint([](uint32_t x, uint32_t y) { return x == 10 && y == 20 ? 0x007F0040u : 0x0064327Fu; });
}
Screen ClosingHalved() { return Paint([](uint32_t, uint32_t y) { return y >= 120 ? 0x0000407Fu : 0x007F4000u; }); }

class KnownPictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = testing::TempDir() + "qz_frames_test_" + std::to_string(getpid());
    std::filesystem::create_directories(dir_);
    std::vector<std::vector<uint8_t>> contents = {
        PaletteBytes(WidePalette),    PictureBytes(WideIndex, WidePixels),       PictureBytes(Zero, 64),
        PaletteBytes(OpeningPalette), PictureBytes(OpeningIndex, FramePixels),   PaletteBytes(ClosingPalette),
        PictureBytes(ClosingIndex, FramePixels), PaletteBytes(LoadingPalette), PictureBytes(LoadingIndex, FramePixels),
    };
    std::string error;
    ASSERT_TRUE(WriteProgramFile(dir_ + "/program.exe", contents, error)) << error;
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
  void SetUp() override { ASSERT_TRUE(ShotLoadPictures((dir_ + "/program.exe").c_str())); }

  static std::string dir_;
};
std::string KnownPictures::dir_;

TEST_F(KnownPictures, NamesEachFrameWithItsLevelAndWindow) {
  EXPECT_EQ(ShotName(WholeFrame(Screen(FramePixels, 0))), "black");
  EXPECT_EQ(ShotName(WholeFrame(Loading())), "loading");
  EXPECT_EQ(ShotName(WholeFrame(Opening())), "opening 128");
  EXPECT_EQ(ShotName(WholeFrame(OpeningHalved())), "opening 64");
  EXPECT_EQ(ShotName(WholeFrame(ClosingHalved())), "closing 64");
  EXPECT_EQ(ShotName(WholeFrame(Paint([](uint32_t x, uint32_t) { return BandColour(100, x); }))), "scroller 100 128");
  EXPECT_EQ(ShotName(WholeFrame(Paint([](uint32_t x, uint32_t) { return Halved(BandColour(ScrollEnd, x)); }))),
            "scroller 2880 64");
}

TEST_F(KnownPictures, OnePixelOffIsUnknownAndTheClosestIsSaid) {
  Screen opening = OpeningHalved();
  opening[FramePixels / 2] ^= 0x010000;
  EXPECT_EQ(ShotName(WholeFrame(opening)), "unknown");
  EXPECT_EQ(ShotClosest(WholeFrame(opening)), "closest is opening 64, 1 of 76800 pixels differ");
  Screen scroller = Paint([](uint32_t x, uint32_t) { return BandColour(700, x); });
  scroller[FramePixels - 1] ^= 0x000100;
  EXPECT_EQ(ShotName(WholeFrame(scroller)), "unknown");
}

TEST_F(KnownPictures, AViewPlacedScaledOrPartialIsComparedThere) {
  constexpr uint32_t Width = 700, Height = 520, X = 33, Y = 21;
  Screen screen(Width * Height, 0x00123456);
  Screen loading = Loading();
  for (uint32_t y = 0; y < 2 * FrameHeight; y++) {
    for (uint32_t x = 0; x < 2 * FrameWidth; x++) {
      screen[(Y + y) * Width + X + x] = loading[y / 2 * FrameWidth + x / 2];
    }
  }
  ShotView view{screen.data(), Width, Height, X, Y, FrameWidth, FrameHeight, 2, 32};
  EXPECT_EQ(ShotName(view), "loading");
  ShotView unscaled = view;
  unscaled.scale = 1;
  EXPECT_EQ(ShotName(unscaled), "unknown");
  ShotView shifted = view;
  shifted.x = X + 1;
  EXPECT_EQ(ShotName(shifted), "unknown");
  ShotView tooFar = view;
  tooFar.y = Height - 2 * FrameHeight + 1;
  EXPECT_FALSE(ShotViewFits(tooFar));
  EXPECT_EQ(ShotName(tooFar), "unknown");

  // One screen pixel of a 2x2 block off: only a view left of it matches.
  screen[(Y + 101) * Width + X + 201] ^= 1;
  EXPECT_EQ(ShotName(view), "unknown");
  ShotView left = view;
  left.width = 100;
  EXPECT_EQ(ShotName(left), "loading");
}

TEST_F(KnownPictures, ColoursOfADepthAreNamedOnlyAtThatDepth) {
  Screen sixteen = Paint([](uint32_t x, uint32_t y) { return x == y ? 0x00FFFFFFu : 0x00214163u; });
  EXPECT_EQ(ShotName(WholeFrame(sixteen, 32)), "unknown");
  EXPECT_EQ(ShotName(WholeFrame(sixteen, 16)), "loading");
  EXPECT_EQ(ShotName(WholeFrame(sixteen, 15)), "unknown");
  EXPECT_EQ(ShotName(WholeFrame(Loading(), 16)), "unknown");
}

// --- the delivered program file, drawn by the system -----------------------
#ifdef QZ_DIST_DIR
class SystemFrames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(ShotLoadPictures((std::string(QZ_DIST_DIR) + "/" + ProgramFileName).c_str()));
    // Start-up's own reads, from the folder it expects its file in.
    ASSERT_EQ(chdir(QZ_DIST_DIR), 0);
    ASSERT_TRUE(LoadContent());
    ASSERT_TRUE(ArchiveOpen(ProgramFileName));
    ASSERT_TRUE(ArchiveReadCoded(ItemLoadingPalette, Pictures.loadingPalette, sizeof Pictures.loadingPalette));
    ASSERT_TRUE(ArchiveReadCoded(ItemLoadingPicture, Pictures.loadingPicture, sizeof Pictures.loadingPicture));
    ArchiveClose();
    BuildFadeTable();
  }
  void SetUp() override { FrameBuffer = drawn_.data(); }

  // The system's frame as a display of `depth` bits shows it.
  Screen AtDepth(uint32_t depth) {
    uint8_t levels[3][CommonChannelValues];
    CommonDepthLevels(depth, levels);
    Screen s(FramePixels);
    for (uint32_t i = 0; i < FramePixels; i++) {
      uint32_t p = drawn_[i];
      s[i] = uint32_t{levels[0][p >> 16 & 0xFF]} << 16 | uint32_t{levels[1][p >> 8 & 0xFF]} << 8 |
             levels[2][p & 0xFF];
    }
    return s;
  }

  Screen drawn_ = Screen(FramePixels);
};

TEST_F(SystemFrames, EveryKindOfFrameTheSystemDrawsIsNamed) {
  ShowLoadingPicture();
  EXPECT_EQ(ShotName(WholeFrame(drawn_)), "loading");
  FadeLevel.store(37);
  ShowPicture(Pictures.openingPalette, Pictures.openingPicture);
  EXPECT_EQ(ShotName(WholeFrame(drawn_)), "opening 37");
  FadeLevel.store(90);
  ShowPicture(Pictures.closingPalette, Pictures.closingPicture);
  EXPECT_EQ(ShotName(WholeFrame(drawn_)), "closing 90");
  struct {
    uint32_t position;
    int32_t level;
    int32_t flicker;
    const char* name;
  } const scrollers[] = {{1234, 100, 0, "scroller 1234 100"},
                         {0, 128, 12, "scroller 0 140"},
                         {ScrollEnd, 60, -16, "scroller 2880 44"}};
  for (const auto& s : scrollers) {
    ScrollPosition.store(s.position);
    FadeLevel.store(s.level);
    FlickerOffset.store(s.flicker);
    ShowScroller();
    EXPECT_EQ(ShotName(WholeFrame(drawn_)), s.name);
  }
  drawn_[FramePixels / 2] ^= 0x010000;
  EXPECT_EQ(ShotName(WholeFrame(drawn_)), "unknown");
}

TEST_F(SystemFrames, AtSixteenAndFifteenBitsTheDepthsColoursAreNamed) {
  ShowLoadingPicture();
  EXPECT_EQ(ShotName(WholeFrame(AtDepth(16), 16)), "loading");
  EXPECT_EQ(ShotName(WholeFrame(AtDepth(16), 32)), "unknown");
  EXPECT_EQ(ShotName(WholeFrame(AtDepth(15), 15)), "loading");
  ScrollPosition.store(2000);
  FadeLevel.store(110);
  FlickerOffset.store(0);
  ShowScroller();
  EXPECT_EQ(ShotName(WholeFrame(AtDepth(16), 16)).rfind("scroller 2000 ", 0), 0u);
}
#endif

}  // namespace
