// The routines the in-memory backends (virtual, web) share, over hooks of
// the test's own: the tick event run by a clock the test moves, and the one
// window whose messages and pictures go through the hooks.
#include "platform/common/tick_event.h"
#include "platform/common/window.h"
#include "platform/plat_bitmap.h"
#include "platform/plat_timer.h"
#include "platform/plat_window.h"
#include "tests/common/memory_bitmap.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

namespace {

// The hooks' side: a clock in tenths of a millisecond, a queue of input,
// and what reached the present and pointer hooks.
uint64_t Clock = 0;
std::deque<std::pair<uint32_t, uint32_t>> Input;
struct Present {
  int32_t x, width, windowWidth, windowHeight;
  uint32_t firstPixel;
};
std::vector<Present> Presents;
std::vector<bool> Pointer;

// What the tick routine saw: the clock at each tick.
std::vector<uint64_t> TickTimes;
uint32_t KillAfter = 0;   // the tick routine kills its event at this tick; 0 never
uint32_t RunningId = 0;

void Tick(uint32_t id, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  TickTimes.push_back(Clock);
  if (KillAfter != 0 && TickTimes.size() == KillAfter) {
    EXPECT_TRUE(PlatTimerKillEvent(id));
  }
}

void Reach(uint64_t due) { Clock = due; }

std::vector<std::pair<uint32_t, uint32_t>> Dispatched;
intptr_t Procedure(uintptr_t, uint32_t message, uint32_t wParam, uint32_t) {
  Dispatched.emplace_back(message, wParam);
  return 7;
}

}  // namespace

uint64_t CommonTickClock() { return Clock; }
uint64_t CommonTickUnitsPerMillisecond() { return 10; }

bool CommonWindowTakeMessage(uint32_t* message, uint32_t* wParam) {
  if (Input.empty()) {
    return false;
  }
  *message = Input.front().first;
  *wParam = Input.front().second;
  Input.pop_front();
  return true;
}

bool CommonWindowPresent(const CommonImage& image, const CommonStretch& copy, int32_t width, int32_t height) {
  Presents.push_back(Present{copy.x, copy.width, width, height, image.pixels[0]});
  return true;
}

void CommonWindowPointer(bool shown) { Pointer.push_back(shown); }

// One event at a time; each tick sees the clock at its own due time; a run
// stops at its limit with the rest still due; a routine may kill its event
// mid-run; a killed event's id is no longer known.
TEST(CommonTickEvent, TicksRunInOrderAtTheirDueTimesUpToTheLimit) {
  Clock = 1000;
  EXPECT_EQ(PlatTimerSetEvent(0, Tick), 0u) << "a zero interval";
  EXPECT_EQ(PlatTimerSetEvent(2, nullptr), 0u) << "no routine";
  RunningId = PlatTimerSetEvent(2, Tick);   // every 20 units, first at 1020
  ASSERT_NE(RunningId, 0u);
  EXPECT_EQ(PlatTimerSetEvent(1, Tick), 0u) << "a second event while one runs";

  CommonRunDueTicks(1019, UINT32_MAX, Reach);
  EXPECT_TRUE(TickTimes.empty()) << "nothing is due before the first interval";
  CommonRunDueTicks(1100, 2, Reach);
  EXPECT_EQ(TickTimes, (std::vector<uint64_t>{1020, 1040}));
  CommonRunDueTicks(1100, UINT32_MAX, Reach);
  EXPECT_EQ(TickTimes, (std::vector<uint64_t>{1020, 1040, 1060, 1080, 1100}));

  KillAfter = 7;
  CommonRunDueTicks(2000, UINT32_MAX, Reach);
  EXPECT_EQ(TickTimes.size(), 7u) << "the kill inside the seventh tick ends the run";
  EXPECT_FALSE(PlatTimerKillEvent(RunningId)) << "already killed";
  EXPECT_FALSE(PlatTimerKillEvent(RunningId + 1));

  // A new event counts its first interval from the clock as it is then.
  TickTimes.clear();
  KillAfter = 0;
  Clock = 5000;
  uint32_t again = PlatTimerSetEvent(1, Tick);
  ASSERT_NE(again, 0u);
  CommonRunDueTicks(5030, UINT32_MAX, nullptr);
  EXPECT_EQ(TickTimes.size(), 3u) << "without a reach hook the clock is the backend's own";
  EXPECT_TRUE(PlatTimerKillEvent(again));
}

// The one window: a class by name, one window of a sane size, its device
// context, messages from the hook to the procedure only while it exists, a
// close that destroys it, copies that reach the present hook with the
// window's size, and the pointer count.
TEST(CommonWindow, MessagesAndCopiesGoThroughTheHooksWhileTheWindowExists) {
  PlatWindowClass windowClass{0, Procedure, 0, 0, PlatProgramInstance(), "common"};
  EXPECT_FALSE(PlatRegisterClass(nullptr));
  ASSERT_TRUE(PlatRegisterClass(&windowClass));
  EXPECT_EQ(PlatCreateWindow(0, "other", "t", WS_POPUP, 0, 0, 320, 240, 0), 0u) << "an unknown class";
  EXPECT_EQ(PlatCreateWindow(0, "common", "t", WS_POPUP, 0, 0, 0, 240, 0), 0u);
  EXPECT_EQ(PlatCreateWindow(0, "common", "t", WS_POPUP, 0, 0, 320, CommonWindowLargestSide + 1, 0), 0u);

  Input.emplace_back(WM_KEYUP, 0x1B);
  PlatMessage message{};
  EXPECT_FALSE(PlatPeekMessage(&message)) << "no window yet, so no message is taken";
  uintptr_t window = PlatCreateWindow(0, "common", "t", WS_POPUP, 0, 0, 320, 256, 0);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(PlatCreateWindow(0, "common", "t", WS_POPUP, 0, 0, 320, 256, 0), 0u) << "only one window";
  ASSERT_TRUE(PlatPeekMessage(&message));
  EXPECT_EQ(message.window, window);
  EXPECT_EQ(PlatDispatchMessage(&message), 7);
  EXPECT_EQ(Dispatched, (std::vector<std::pair<uint32_t, uint32_t>>{{WM_KEYUP, 0x1B}}));
  EXPECT_FALSE(PlatPeekMessage(&message));

  uintptr_t dc = PlatGetDC(window);
  ASSERT_NE(dc, 0u);
  EXPECT_EQ(PlatGetDC(window + 1), 0u);
  EXPECT_EQ(PlatReleaseDC(window, dc), 1);

  uint32_t* bits = nullptr;
  uintptr_t memory = TestMemoryBitmap(2, -2, &bits);
  ASSERT_NE(bits, nullptr);
  bits[0] = 0x123456;
  EXPECT_TRUE(PlatStretchBlt(dc, 5, 0, 4, 4, memory, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(PlatStretchBlt(dc, 0, 0, 4, 4, memory, 0, 0, 2, 2, 0)) << "only a plain copy";
  EXPECT_FALSE(PlatStretchBlt(dc, 0, 0, 0, 4, memory, 0, 0, 2, 2, SRCCOPY)) << "an empty rectangle";
  EXPECT_FALSE(PlatStretchBlt(dc + 1, 0, 0, 4, 4, memory, 0, 0, 2, 2, SRCCOPY)) << "not the window's context";
  ASSERT_EQ(Presents.size(), 1u);
  EXPECT_EQ(Presents[0].x, 5);
  EXPECT_EQ(Presents[0].width, 4);
  EXPECT_EQ(Presents[0].windowWidth, 320);
  EXPECT_EQ(Presents[0].windowHeight, 256);
  EXPECT_EQ(Presents[0].firstPixel, 0x123456u);

  EXPECT_EQ(PlatShowCursor(false), -1);
  EXPECT_EQ(PlatShowCursor(true), 0);
  EXPECT_EQ(Pointer, (std::vector<bool>{false, true}));

  EXPECT_TRUE(PlatShowWindow(window, 1));
  EXPECT_EQ(PlatDefWindowProc(window, WM_KEYDOWN, 0, 0), 0);
  EXPECT_TRUE(PlatShowWindow(window, 1)) << "other messages leave the window be";
  PlatDefWindowProc(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(PlatShowWindow(window, 1)) << "a close destroys the window";
  EXPECT_EQ(PlatGetDC(window), 0u);
  Input.emplace_back(WM_KEYUP, 0x1B);
  EXPECT_FALSE(PlatPeekMessage(&message));
  EXPECT_EQ(PlatDispatchMessage(&message), 0) << "no procedure runs for a window that is gone";
  EXPECT_FALSE(PlatStretchBlt(dc, 0, 0, 4, 4, memory, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(PlatDestroyWindow(window));
}
