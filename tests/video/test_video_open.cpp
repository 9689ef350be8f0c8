// Opening and closing the video device over the fake window and display.
#include "base/syserror.h"
#include "platform/plat_display.h"
#include "platform/plat_window.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_video.h"
#include "video/video.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

constexpr uint32_t FullScreenStyle = 0x80880000;
constexpr uint32_t WindowedStyle = 0x80c80200;

// A fresh fake with the display service installed, for each case of a test.
void FreshDisplay() {
  FakeReset();
  SystemError = 0;
  FakeDisplayInstall();
}

class VideoOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    SystemError = 0;
    SetWindowTitle("Quillwave");
  }
  void TearDown() override { CloseVideo(); }

  // Index of the call named `op` within the recorded order, failing if absent.
  static size_t At(const char* op) {
    size_t i = FakeFind(op);
    EXPECT_LT(i, FakeCallCount()) << op << " was not called";
    return i;
  }
};

TEST_F(VideoOpen, WindowOnTheDesktopUsesNoDisplayService) {
  FakeDisplayInstall();
  ASSERT_TRUE(OpenVideo(320, 256, ModeWindow));
  EXPECT_EQ(SystemError, 0u);

  uintptr_t window = FakeVideoWindow();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(VideoWindow(), window);
  EXPECT_STREQ(FakeWindowTitle(window), "Quillwave");
  EXPECT_EQ(FakeWindowStyle(window), WindowedStyle);
  EXPECT_EQ(FakeClassStyle("QZClassName"), 3u);
  FakeCreateWindowCall create = FakeFirst<FakeCreateWindowCall>();
  EXPECT_EQ(create.width, 320);
  EXPECT_EQ(create.height, 256);
  FakeCreateWindowAtCall place = FakeFirst<FakeCreateWindowAtCall>();
  EXPECT_EQ(place.x, 0);
  EXPECT_EQ(place.y, 0);
  EXPECT_EQ(place.extendedStyle, 0);
  EXPECT_NE(FakeWindowDC(window), 0u);

  EXPECT_LT(At("ProgramInstance"), At("RegisterClass"));
  EXPECT_LT(At("RegisterClass"), At("CreateWindow"));
  EXPECT_LT(At("CreateWindow"), At("GetDC"));
  EXPECT_LT(At("GetDC"), At("ShowWindow"));
  EXPECT_EQ(FakeFirst<FakeShowWindowCall>().command, 5);
  EXPECT_EQ(FakeCount("ModuleLoad"), 0u);
  EXPECT_EQ(FakeCount("DirectDrawCreate"), 0u);
  EXPECT_EQ(FakeCount("ShowCursor"), 0u);  // the pointer stays visible

  CloseVideo();
  EXPECT_EQ(FakeCount("RestoreDisplayMode"), 0u);
  EXPECT_EQ(FakeCount("DestroyWindow"), 1u);
  EXPECT_FALSE(FakeWindowExists(window));
  EXPECT_EQ(VideoWindow(), 0u);
}

TEST_F(VideoOpen, WindowWithoutAnyDisplayFailsWithItsOwnCode) {
  FakeWindowFail(true);
  EXPECT_FALSE(OpenVideo(320, 256, ModeWindow));
  EXPECT_EQ(SystemError, ErrorNoDisplay);
  EXPECT_EQ(FakeCount("ShowWindow"), 0u);
  EXPECT_EQ(FakeCount("ModuleLoad"), 0u);
  CloseVideo();  // no window: nothing to do
  EXPECT_EQ(FakeCount("DestroyWindow"), 0u);
}

TEST_F(VideoOpen, ExplicitDepthSwitchesInOrderAndRestoresAtClose) {
  FakeDisplayInstall();
  ASSERT_TRUE(OpenVideo(320, 240, 16));
  uintptr_t window = FakeVideoWindow();
  EXPECT_EQ(FakeWindowStyle(window), FullScreenStyle);
  EXPECT_EQ(FakeClassStyle("QZClassName"), 0u);

  EXPECT_LT(At("GetDC"), At("ModuleLoad"));
  EXPECT_LT(At("ModuleLoad"), At("ModuleSymbol"));
  EXPECT_LT(At("ModuleSymbol"), At("DirectDrawCreate"));
  EXPECT_LT(At("DirectDrawCreate"), At("SetCooperativeLevel"));
  EXPECT_LT(At("SetCooperativeLevel"), At("SetDisplayMode"));
  EXPECT_LT(At("SetDisplayMode"), At("ShowWindow"));
  EXPECT_LT(At("ShowWindow"), At("ShowCursor"));
  FakeSetCooperativeLevelCall level = FakeFirst<FakeSetCooperativeLevelCall>();
  EXPECT_EQ(level.window, static_cast<int64_t>(window));
  EXPECT_EQ(level.flags, 0x13);
  FakeSetDisplayModeCall mode = FakeFirst<FakeSetDisplayModeCall>();
  EXPECT_EQ(mode.width, 320);
  EXPECT_EQ(mode.height, 240);
  EXPECT_EQ(mode.bits, 16);
  EXPECT_EQ(FakeDisplayDepth(), 16u);
  EXPECT_EQ(FakeCount("EnumDisplayModes"), 0u);
  EXPECT_EQ(FakeCount("CreateSurface"), 0u);  // the window copy needs no surface

  CloseVideo();
  EXPECT_LT(At("RestoreDisplayMode"), At("DestroyWindow"));
  EXPECT_EQ(FakeDisplayDepth(), 0u);
  EXPECT_FALSE(FakeWindowExists(window));
}

TEST_F(VideoOpen, ExplicitDepthThatIsMissingHasNoFallBack) {
  FakeDisplayInstall();
  FakeDisplayClearModes();
  FakeDisplayAddMode(320, 240, 32, 60);
  EXPECT_FALSE(OpenVideo(320, 240, 16));
  EXPECT_EQ(SystemError, ErrorDisplayMode);
  EXPECT_EQ(FakeCount("SetDisplayMode"), 1u);
  EXPECT_EQ(FakeCount("EnumDisplayModes"), 0u);
  EXPECT_EQ(FakeCount("ShowWindow"), 0u);
  EXPECT_EQ(FakeCount("ShowCursor"), 0u);
  CloseVideo();  // never switched: nothing to restore
  EXPECT_EQ(FakeCount("RestoreDisplayMode"), 0u);
  EXPECT_EQ(FakeCount("DestroyWindow"), 1u);
}

struct ChoiceCase {
  const char* name;
  std::initializer_list<uint32_t> depths;  // 320x240 modes offered, in this order
  bool succeeds;
  uint32_t depth;                          // the one chosen: switched to, or refused (0: none)
};

TEST_F(VideoOpen, AutomaticChoiceTakesTheDeepestRgbMode) {
  const ChoiceCase cases[] = {
      {"16 and 32", {16, 32}, true, 32},
      {"32 and 16", {32, 16}, true, 32},
      {"16 and 24", {16, 24}, true, 24},
      {"15 only", {15}, true, 15},
      {"8 only", {8}, false, 8},
      {"none", {}, false, 0},
  };
  for (const ChoiceCase& c : cases) {
    FreshDisplay();
    FakeDisplayClearModes();
    FakeDisplayAddMode(640, 480, 32, 60);  // other sizes are never offered
    for (uint32_t d : c.depths) {
      FakeDisplayAddMode(320, 240, d, 60);
    }
    EXPECT_EQ(OpenVideo(320, 240, ModeAutomatic), c.succeeds) << c.name;
    FakeEnumDisplayModesCall enumerate = FakeFirst<FakeEnumDisplayModesCall>();
    EXPECT_EQ(enumerate.flags, 1) << c.name;         // refresh rates offered as modes
    EXPECT_EQ(enumerate.patternFlags, 6) << c.name;  // matched on width and height
    if (c.succeeds) {
      EXPECT_EQ(SystemError, 0u) << c.name;
      EXPECT_EQ(FakeDisplayDepth(), c.depth) << c.name;
      EXPECT_EQ(QueryChosenMode().depth, c.depth) << c.name;
      EXPECT_EQ(FakeCount("ShowWindow"), 1u) << c.name;
    } else {
      EXPECT_EQ(SystemError, ErrorDisplayMode) << c.name;
      EXPECT_EQ(FakeCount("SetDisplayMode"), 0u) << c.name;  // no switch attempted
      EXPECT_EQ(FakeCount("ShowWindow"), 0u) << c.name;
      if (c.depth != 0) {
        EXPECT_EQ(QueryChosenMode().depth, c.depth) << c.name;
      }
    }
    CloseVideo();
    EXPECT_EQ(FakeCount("RestoreDisplayMode"), c.succeeds ? 1u : 0u) << c.name;
  }
}

TEST_F(VideoOpen, AutomaticChoiceSkipsPaletteFormatsAndRecordsTheBestRefresh) {
  FakeDisplayInstall();
  FakeDisplayClearModes();
  PlatSurfaceDesc palette{};
  palette.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  palette.dwWidth = 320;
  palette.dwHeight = 240;
  palette.dwRefreshRate = 100;
  palette.ddpfPixelFormat = PlatPixelFormat{0x20, 64};  // indexed, whatever its count says
  FakeDisplayAddRawMode(palette);
  PlatSurfaceDesc noFormat = palette;
  noFormat.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  noFormat.ddpfPixelFormat = PlatPixelFormat{DDPF_RGB, 48};
  FakeDisplayAddRawMode(noFormat);
  FakeDisplayAddMode(320, 240, 16, 85);
  FakeDisplayAddMode(320, 240, 32, 60);
  FakeDisplayAddMode(320, 240, 32, 75);
  FakeDisplayAddMode(320, 240, 32, 70);
  FakeDisplayAddMode(320, 240, 32, 0);  // no refresh rate given

  ASSERT_TRUE(OpenVideo(320, 240, ModeAutomatic));
  EXPECT_EQ(FakeDisplayDepth(), 32u);
  ChosenMode chosen = QueryChosenMode();
  EXPECT_EQ(chosen.depth, 32u);
  EXPECT_EQ(chosen.refresh, 75u);
  EXPECT_EQ(FakeFirst<FakeSetDisplayModeCall>().bits, 32);
}

TEST_F(VideoOpen, AutomaticChoiceFailsWhenTheListOrTheSwitchIsRefused) {
  struct Refusal {
    FakeDisplayStep step;
    int32_t result;
    size_t switches;  // mode switches tried
  };
  for (Refusal r : {Refusal{FakeDisplayStep::EnumDisplayModes, DDERR_GENERIC, 0},
                    Refusal{FakeDisplayStep::SetDisplayMode, DDERR_INVALIDMODE, 1}}) {
    SCOPED_TRACE(static_cast<int>(r.step));
    FreshDisplay();
    FakeDisplaySetResult(r.step, r.result);
    EXPECT_FALSE(OpenVideo(320, 240, ModeAutomatic));
    EXPECT_EQ(SystemError, ErrorDisplayMode);
    EXPECT_EQ(FakeCount("SetDisplayMode"), r.switches);
    CloseVideo();
    EXPECT_EQ(FakeCount("RestoreDisplayMode"), 0u);
  }
}

TEST_F(VideoOpen, EveryWayTheDisplayServiceIsMissingGivesCodeOne) {
  enum Cause { NoLibrary, NoEntry, CreateRefused, LevelRefused };
  for (Cause cause : {NoLibrary, NoEntry, CreateRefused, LevelRefused}) {
    FakeReset();
    SystemError = 0;
    if (cause != NoLibrary) {
      FakeDisplayInstall(cause != NoEntry);
    }
    if (cause == CreateRefused) {
      FakeDisplaySetResult(FakeDisplayStep::Create, DDERR_NODIRECTDRAWHW);
    }
    if (cause == LevelRefused) {
      FakeDisplaySetResult(FakeDisplayStep::CooperativeLevel, DDERR_NOEXCLUSIVEMODE);
    }
    EXPECT_FALSE(OpenVideo(320, 240, 32)) << cause;
    EXPECT_EQ(SystemError, ErrorDisplayService) << cause;
    EXPECT_EQ(FakeCount("DirectDrawCreate"), cause >= CreateRefused ? 1u : 0u) << cause;
    EXPECT_EQ(FakeCount("SetCooperativeLevel"), cause == LevelRefused ? 1u : 0u) << cause;
    EXPECT_EQ(FakeCount("SetDisplayMode"), 0u) << cause;
    EXPECT_EQ(FakeCount("ShowWindow"), 0u) << cause;
    uintptr_t window = FakeVideoWindow();
    EXPECT_TRUE(FakeWindowExists(window)) << cause;  // left for the close
    CloseVideo();
    EXPECT_EQ(FakeCount("RestoreDisplayMode"), 0u) << cause;
    EXPECT_FALSE(FakeWindowExists(window)) << cause;
  }
}

TEST_F(VideoOpen, SurfacePresentationMakesThePrimarySurfaceAfterTheSwitch) {
  FakeDisplayInstall();
  ASSERT_TRUE(OpenVideoSurface(320, 240, 32));
  FakeCreateSurfaceCall create = FakeFirst<FakeCreateSurfaceCall>();
  EXPECT_EQ(create.flags, 1);     // only the caps are given
  EXPECT_EQ(create.caps, 0x200);  // the primary surface
  EXPECT_LT(At("SetDisplayMode"), At("CreateSurface"));
  EXPECT_LT(At("CreateSurface"), At("ShowWindow"));

  FreshDisplay();
  FakeDisplaySetResult(FakeDisplayStep::CreateSurface, DDERR_GENERIC);
  EXPECT_FALSE(OpenVideoSurface(320, 240, ModeAutomatic));
  EXPECT_EQ(SystemError, ErrorDisplayMode);
  EXPECT_EQ(FakeCount("ShowWindow"), 0u);
  CloseVideo();  // the switch happened, so it is undone
  EXPECT_EQ(FakeCount("RestoreDisplayMode"), 1u);

  FreshDisplay();
  ASSERT_TRUE(OpenVideoSurface(320, 256, ModeWindow));  // no surface on the desktop
  EXPECT_EQ(FakeCount("ModuleLoad"), 0u);
  EXPECT_EQ(FakeCount("CreateSurface"), 0u);
}

// The display counts seen by the pointer-hiding loop, starting from `count`.
std::vector<int64_t> HidingCalls(int32_t count) {
  FreshDisplay();
  FakeCursorSetCount(count);
  EXPECT_TRUE(OpenVideo(320, 240, 32));
  std::vector<int64_t> calls;
  for (size_t i = 0; i < FakeCallCount(); i++) {
    if (std::strcmp(FakeCallAt(i).op, "ShowCursor") == 0) {
      FakeShowCursorCall call = FakeArgsAt<FakeShowCursorCall>(i);
      calls.push_back(call.show ? 100 + call.count : call.count);
    }
  }
  CloseVideo();
  return calls;
}

TEST_F(VideoOpen, PointerIsHiddenUntilItsCountIsNegative) {
  // 100 + n marks a show returning n; a plain n is a hide returning n.
  EXPECT_EQ(HidingCalls(0), (std::vector<int64_t>{101, 0, -1}));
  EXPECT_EQ(HidingCalls(2), (std::vector<int64_t>{103, 2, 1, 0, -1}));
  EXPECT_EQ(HidingCalls(-1), (std::vector<int64_t>{100, -1}));
  // Hidden already: the show leaves it negative and no hide follows.
  EXPECT_EQ(HidingCalls(-3), (std::vector<int64_t>{98}));
  EXPECT_EQ(FakeCursorCount(), -2);
}

TEST_F(VideoOpen, ClosingTwiceOrAfterTheWindowWasClosedIsHarmless) {
  FakeDisplayInstall();
  ASSERT_TRUE(OpenVideo(320, 240, ModeAutomatic));
  uintptr_t window = FakeVideoWindow();
  ASSERT_TRUE(PlatDestroyWindow(window));  // as the default handling of WM_CLOSE does
  CloseVideo();
  EXPECT_EQ(FakeCount("RestoreDisplayMode"), 1u);
  EXPECT_EQ(FakeCount("DestroyWindow"), 2u);
  CloseVideo();
  EXPECT_EQ(FakeCount("RestoreDisplayMode"), 1u);
  EXPECT_EQ(FakeCount("DestroyWindow"), 2u);
}

}  // namespace
