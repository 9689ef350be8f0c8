// When a window's present may go up, and where its picture lands.
#include "platform/linux/present.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t Ms = 1000000;
constexpr uint64_t Period = 16 * Ms;

TEST(Pacing, RefreshPeriodFallsBackToSixtyHertz) {
  EXPECT_EQ(LinuxRefreshPeriod(60), 16666666u);
  EXPECT_EQ(LinuxRefreshPeriod(144), 6944444u);
  EXPECT_EQ(LinuxRefreshPeriod(0), LinuxRefreshPeriod(60));
  EXPECT_EQ(LinuxRefreshPeriod(-1), LinuxRefreshPeriod(60));
}

// A run loop that asks faster than the display refreshes is held to one
// present a period, on a steady grid from its first present.
TEST(Pacing, EarlyPresentsWaitForTheirGridPoint) {
  LinuxPacer pacer{0};
  uint64_t start = 1000 * Ms;
  EXPECT_EQ(LinuxPaceTarget(&pacer, start, Period), start);  // the first goes at once
  uint64_t now = start;
  for (uint64_t k = 1; k <= 100; k++) {
    now += Ms;  // each pass takes 1 ms of work, then asks again
    uint64_t target = LinuxPaceTarget(&pacer, now, Period);
    ASSERT_EQ(target, start + k * Period) << "present " << k;
    now = target;
  }
}

// Lateness by less than a period keeps the grid, so one slow frame does not
// shift every later one; lateness by a period or more starts a new grid
// instead of a burst of presents that catch up.
TEST(Pacing, LatePresentsKeepTheGridOrStartANewOne) {
  LinuxPacer pacer{0};
  uint64_t start = 1000 * Ms;
  LinuxPaceTarget(&pacer, start, Period);
  uint64_t late = start + Period + 5 * Ms;
  EXPECT_EQ(LinuxPaceTarget(&pacer, late, Period), late);
  EXPECT_EQ(LinuxPaceTarget(&pacer, late + Ms, Period), start + 2 * Period);

  uint64_t stalled = start + 10 * Period + 3 * Ms;  // e.g. a pause of the scene routine
  EXPECT_EQ(LinuxPaceTarget(&pacer, stalled, Period), stalled);
  EXPECT_EQ(LinuxPaceTarget(&pacer, stalled + Ms, Period), stalled + Period);
  EXPECT_EQ(LinuxPaceTarget(&pacer, stalled + Period + Ms, Period), stalled + 2 * Period);
}

void ExpectPlacement(int32_t outW, int32_t outH, int32_t x, int32_t y, int32_t w, int32_t h) {
  LinuxPlacement p = LinuxPlacePicture(320, 240, outW, outH);
  EXPECT_EQ(p.x, x) << outW << "x" << outH;
  EXPECT_EQ(p.y, y) << outW << "x" << outH;
  EXPECT_EQ(p.width, w) << outW << "x" << outH;
  EXPECT_EQ(p.height, h) << outW << "x" << outH;
}

TEST(Placement, LargestWholeFactorCentredOnBlack) {
  ExpectPlacement(320, 240, 0, 0, 320, 240);        // the window as asked for: one to one
  ExpectPlacement(639, 479, 159, 119, 320, 240);    // just short of twice
  ExpectPlacement(640, 480, 0, 0, 640, 480);
  ExpectPlacement(1024, 768, 32, 24, 960, 720);     // three times, centred
  ExpectPlacement(1920, 1080, 320, 60, 1280, 960);  // wide screen: the height decides
  ExpectPlacement(700, 2000, 30, 760, 640, 480);    // tall window: the width decides
}

TEST(Placement, TooSmallAnOutputShowsTheTopLeftCornerOneToOne) {
  ExpectPlacement(200, 100, 0, 0, 320, 240);
  ExpectPlacement(320, 100, 0, 0, 320, 240);
  ExpectPlacement(400, 200, 40, 0, 320, 240);  // centred where there is room
  LinuxPlacement none = LinuxPlacePicture(0, 240, 640, 480);
  EXPECT_EQ(none.width, 0);
}

}  // namespace

namespace {

// A window keeps SDL's accelerated renderer only on real graphics hardware
// that granted vertical sync.
TEST(RendererChoice, KeepsHardwareOpenGLWithVerticalSync) {
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengl", true, true, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.7)"}));
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengles2", true, true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)"}));
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengl", true, true, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"}));
}

// OpenGL drawn by the processor costs more than the plain-memory path.
TEST(RendererChoice, GivesUpSoftwareRasterisers) {
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "llvmpipe (LLVM 15.0.6, 256 bits)"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "LLVMPIPE (LLVM 12.0.0, 128 bits)"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "softpipe"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "Mesa X11 swrast"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "Software Rasterizer"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "zink (llvmpipe (LLVM 15.0.6, 256 bits))"}));
}

// Without vertical sync, acceleration, or an answer from OpenGL, the window
// goes back to the plain-memory path and its own wait for the refresh.
TEST(RendererChoice, GivesUpWhatItCannotTrust) {
  const char* hardware = "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.7)";
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, false, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", false, true, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, nullptr}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, ""}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({nullptr, true, true, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"software", true, true, hardware}));
}

}  // namespace
