// What the Linux and Windows layers share about a present: when it may go
// up, where its picture lands, the window's factor for a monitor's scale,
// the frame already shown, and which 320x240 depths a display's own list
// leaves to the stand-in.
#include "platform/common/display_service.h"
#include "platform/common/present.h"
#include "platform/common/shown.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint64_t Ms = 1000000;
constexpr uint64_t Period = 16 * Ms;

TEST(Pacing, RefreshPeriodFallsBackToSixtyHertz) {
  EXPECT_EQ(CommonRefreshPeriod(60), 16666666u);
  EXPECT_EQ(CommonRefreshPeriod(144), 6944444u);
  EXPECT_EQ(CommonRefreshPeriod(0), CommonRefreshPeriod(60));
  EXPECT_EQ(CommonRefreshPeriod(-1), CommonRefreshPeriod(60));
  EXPECT_EQ(CommonRefreshPeriod(1), CommonRefreshPeriod(60)) << "Windows' 'hardware default'";
}

// A run loop that asks faster than the display refreshes is held to one
// present a period, on a steady grid from its first present.
TEST(Pacing, EarlyPresentsWaitForTheirGridPoint) {
  CommonPacer pacer{0};
  uint64_t start = 1000 * Ms;
  EXPECT_EQ(CommonPaceTarget(&pacer, start, Period), start);  // the first goes at once
  uint64_t now = start;
  for (uint64_t k = 1; k <= 100; k++) {
    now += Ms;  // each pass takes 1 ms of work, then asks again
    uint64_t target = CommonPaceTarget(&pacer, now, Period);
    ASSERT_EQ(target, start + k * Period) << "present " << k;
    now = target;
  }
}

// Lateness by less than a period keeps the grid, so one slow frame does not
// shift every later one; lateness by a period or more starts a new grid
// instead of a burst of presents that catch up.
TEST(Pacing, LatePresentsKeepTheGridOrStartANewOne) {
  CommonPacer pacer{0};
  uint64_t start = 1000 * Ms;
  CommonPaceTarget(&pacer, start, Period);
  uint64_t late = start + Period + 5 * Ms;
  EXPECT_EQ(CommonPaceTarget(&pacer, late, Period), late);
  EXPECT_EQ(CommonPaceTarget(&pacer, late + Ms, Period), start + 2 * Period);

  uint64_t stalled = start + 10 * Period + 3 * Ms;  // e.g. a pause of the scene routine
  EXPECT_EQ(CommonPaceTarget(&pacer, stalled, Period), stalled);
  EXPECT_EQ(CommonPaceTarget(&pacer, stalled + Ms, Period), stalled + Period);
  EXPECT_EQ(CommonPaceTarget(&pacer, stalled + Period + Ms, Period), stalled + 2 * Period);
}

// A vertical-blank or compositor wait that held the caller paces by itself;
// one that returns at once (Wine's) is backed by the timed grid, which it
// must not push out of phase when it starts waiting again.
TEST(Pacing, AWaitThatReturnsAtOnceIsBackedByTheGrid) {
  CommonPacer pacer{0};
  uint64_t now = 1000 * Ms;
  // Returning at once every time: one present a period.
  EXPECT_EQ(CommonPaceAfterWait(&pacer, now, now + 10000, Period), now + 10000);
  uint64_t first = now + 10000;
  for (uint64_t k = 1; k <= 20; k++) {
    now = first + (k - 1) * Period + Ms;
    ASSERT_EQ(CommonPaceAfterWait(&pacer, now, now + 10000, Period), first + k * Period) << "present " << k;
  }
  // A real wait of 15 ms: no wait of ours, and the grid follows the display.
  now = first + 30 * Period;
  EXPECT_EQ(CommonPaceAfterWait(&pacer, now, now + 15 * Ms, Period), 0u);
  EXPECT_EQ(pacer.next, now + 15 * Ms + Period);
  // The display's wait stops waiting: the next present keeps its grid point.
  uint64_t later = now + 16 * Ms;
  EXPECT_EQ(CommonPaceAfterWait(&pacer, later, later, Period), now + 15 * Ms + Period);
}

void ExpectPlacement(int32_t outW, int32_t outH, int32_t x, int32_t y, int32_t w, int32_t h) {
  CommonPlacement p = CommonPlacePicture(320, 240, outW, outH);
  EXPECT_EQ(p.x, x) << outW << "x" << outH;
  EXPECT_EQ(p.y, y) << outW << "x" << outH;
  EXPECT_EQ(p.width, w) << outW << "x" << outH;
  EXPECT_EQ(p.height, h) << outW << "x" << outH;
}

// Sleep paces only where it is fine: a steady run of sleeps late by the
// 15.6 ms tick of an unraised timer resolution marks it coarse, while the
// odd late one of a busy machine, or late ones with on-time ones between,
// never do.
TEST(Pacing, OnlyARunOfLateSleepsMarksTheSleepCoarse) {
  CommonSleepJudge judge{};
  for (int i = 0; i < 100; i++) {
    CommonJudgeSleep(&judge, 10 * Ms, 10 * Ms + Ms / 2 + (i % 3 == 0 ? 9 * Ms : 0));
  }
  EXPECT_FALSE(judge.coarse) << "late sleeps apart, on a loaded machine";
  CommonJudgeSleep(&judge, 10 * Ms, 12 * Ms);
  CommonJudgeSleep(&judge, 10 * Ms, 12 * Ms);
  CommonJudgeSleep(&judge, 10 * Ms, 12 * Ms);
  EXPECT_FALSE(judge.coarse) << "up to a millisecond's tick and some more is fine";
  for (int i = 0; i < 3; i++) {
    CommonJudgeSleep(&judge, 1 * Ms, 15625000);
  }
  EXPECT_FALSE(judge.coarse) << "three in a row";
  CommonJudgeSleep(&judge, 1 * Ms, 15625000);
  EXPECT_TRUE(judge.coarse);
  CommonJudgeSleep(&judge, 1 * Ms, 1 * Ms);
  EXPECT_TRUE(judge.coarse) << "once coarse, for good";
}

TEST(Placement, LargestWholeFactorCentredOnBlack) {
  ExpectPlacement(320, 240, 0, 0, 320, 240);        // the window as asked for: one to one
  ExpectPlacement(639, 479, 159, 119, 320, 240);    // just short of twice
  ExpectPlacement(640, 480, 0, 0, 640, 480);
  ExpectPlacement(1024, 768, 32, 24, 960, 720);     // three times, centred
  ExpectPlacement(1920, 1080, 320, 60, 1280, 960);  // wide screen: the height decides
  ExpectPlacement(3840, 2160, 480, 0, 2880, 2160);  // 4K: nine times
  ExpectPlacement(700, 2000, 30, 760, 640, 480);    // tall window: the width decides
}

TEST(Placement, TooSmallAnOutputShowsTheTopLeftCornerOneToOne) {
  ExpectPlacement(200, 100, 0, 0, 320, 240);
  ExpectPlacement(320, 100, 0, 0, 320, 240);
  ExpectPlacement(400, 200, 40, 0, 320, 240);  // centred where there is room
  CommonPlacement none = CommonPlacePicture(0, 240, 640, 480);
  EXPECT_EQ(none.width, 0);
}

TEST(Placement, TheWindowsFactorIsTheWholeOneNearestTheMonitorsScale) {
  EXPECT_EQ(CommonDpiFactor(96), 1);
  EXPECT_EQ(CommonDpiFactor(120), 1);  // 125%
  EXPECT_EQ(CommonDpiFactor(144), 2);  // 150%: halfway takes the larger
  EXPECT_EQ(CommonDpiFactor(192), 2);
  EXPECT_EQ(CommonDpiFactor(240), 3);  // 250% (3x at 288 is exact; 240 is halfway)
  EXPECT_EQ(CommonDpiFactor(336), 4);  // 350%
  EXPECT_EQ(CommonDpiFactor(72), 1);   // below 100% never shrinks the frame
  EXPECT_EQ(CommonDpiFactor(0), 1);    // unknown
}

TEST(Placement, AFramedWindowsClientIsThePartLeftForThePicture) {
  struct Case {
    int32_t width, height, clientWidth, clientHeight;
  };
  const Case cases[] = {
      {320, 256, 320, 240},   // the windowed request: the whole picture, no band below it
      {640, 496, 640, 480},
      {10, 16, 10, 1},        // never less than one row
      {0, 0, 1, 1},
  };
  for (const Case& c : cases) {
    CommonSize client = CommonFramedClient(c.width, c.height);
    EXPECT_EQ(client.width, c.clientWidth) << c.width << "x" << c.height;
    EXPECT_EQ(client.height, c.clientHeight) << c.width << "x" << c.height;
  }
}

// A copy equal to the one remembered, from a source holding the same pixels,
// is shown already; a changed pixel, another place or a forgotten record is
// not.
TEST(Shown, OnlyTheSameCopyOfTheSamePixelsIsShownAlready) {
  std::vector<uint32_t> pixels(320 * 240, 0x00123456);
  CommonImage image{pixels.data(), 320, 240, false};
  CommonStretch copy{0, 0, 320, 240, 0, 0, 320, 240};
  CommonShownCopy shown = CommonShownCopyOf(0x100, copy, image);
  EXPECT_FALSE(CommonAlreadyShown(shown, image)) << "nothing remembered yet";
  CommonRememberShown(shown, image);
  EXPECT_TRUE(CommonAlreadyShown(shown, image));

  pixels[320 * 239 + 319] = 0x00123457;  // the last pixel changes
  EXPECT_FALSE(CommonAlreadyShown(shown, image));
  CommonRememberShown(shown, image);
  EXPECT_TRUE(CommonAlreadyShown(shown, image));

  CommonStretch moved{1, 0, 320, 240, 0, 0, 320, 240};
  EXPECT_FALSE(CommonAlreadyShown(CommonShownCopyOf(0x100, moved, image), image));
  EXPECT_FALSE(CommonAlreadyShown(CommonShownCopyOf(0x101, copy, image), image)) << "another window";

  CommonForgetShown();
  EXPECT_FALSE(CommonAlreadyShown(shown, image));
}

TEST(Shown, AnImageTooLargeToKeepIsNeverTakenForShown) {
  std::vector<uint32_t> pixels(1024 * 768, 0);
  CommonImage image{pixels.data(), 1024, 768, false};
  CommonStretch copy{0, 0, 1024, 768, 0, 0, 1024, 768};
  CommonShownCopy shown = CommonShownCopyOf(0x100, copy, image);
  CommonRememberShown(shown, image);
  EXPECT_FALSE(CommonAlreadyShown(shown, image));
}

std::vector<uint32_t> StandIn(std::vector<uint32_t> real) {
  uint32_t out[std::size(CommonModeDepths)] = {};
  uint32_t n = CommonStandInDepths(real.data(), static_cast<uint32_t>(real.size()), out);
  return std::vector<uint32_t>(out, out + n);
}

// Today's displays list no 320x240 mode: every depth is stood in for. Wine's
// virtual desktop lists 8, 16 and 32 bits: 15 and 24 are. A palette mode
// alone does not count.
TEST(StandIn, TheDepthsTheDisplaysOwnListLacks) {
  EXPECT_EQ(StandIn({}), (std::vector<uint32_t>{15, 16, 24, 32}));
  EXPECT_EQ(StandIn({8}), (std::vector<uint32_t>{15, 16, 24, 32}));
  EXPECT_EQ(StandIn({8, 16, 32, 32}), (std::vector<uint32_t>{15, 24}));
  EXPECT_EQ(StandIn({32, 24, 16, 15}), std::vector<uint32_t>{});
}

TEST(StandIn, ASwitchIsAskedForOnlyWhereTheListHoldsAnRGBMode) {
  const uint32_t virtualDesktop[] = {8, 16, 32};
  const uint32_t paletteOnly[] = {8, 8};
  EXPECT_TRUE(CommonRealModesUsable(virtualDesktop, 3));
  EXPECT_FALSE(CommonRealModesUsable(paletteOnly, 2));
  EXPECT_FALSE(CommonRealModesUsable(nullptr, 0));
}

TEST(StandIn, AModeTemplateMatchesOnTheSizeItMarksValid) {
  PlatSurfaceDesc pattern{};
  pattern.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  pattern.dwWidth = 320;
  pattern.dwHeight = 240;
  EXPECT_TRUE(CommonModeMatches(&pattern, 320, 240));
  EXPECT_FALSE(CommonModeMatches(&pattern, 640, 240));
  EXPECT_FALSE(CommonModeMatches(&pattern, 320, 200));
  pattern.dwFlags = DDSD_WIDTH;
  EXPECT_TRUE(CommonModeMatches(&pattern, 320, 200));
  EXPECT_TRUE(CommonModeMatches(nullptr, 640, 480));
}

}  // namespace
