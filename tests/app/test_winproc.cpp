// The demo window's procedure, reached through the fake layer's dispatch.
#include "app/winproc.h"
#include "base/syserror.h"
#include "platform/plat_window.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_video.h"
#include "video/video.h"

#include <gtest/gtest.h>

namespace {

int HookCalls = 0;
WindowMessage HookSaw{};
void CountingHook() {
  HookCalls++;
  HookSaw = CurrentMessage;
}

class WinProc : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    SystemError = 0;
    SetWindowProcedure(WindowProcedure);
    ASSERT_TRUE(OpenVideo(320, 256, ModeWindow));
    window = VideoWindow();
    QuitRequested = 0;
    WindowActive = 0;
    CurrentMessage = WindowMessage{};
    SetMessageHook(nullptr);
    HookCalls = 0;
  }
  void TearDown() override {
    SetMessageHook(nullptr);
    CloseVideo();
  }

  // Dispatches one message to window `to` the way the run loop does; Send
  // to the demo window.
  void SendTo(uintptr_t to, uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0) {
    FakeQueueMessage(to, message, wParam, lParam);
    PlatMessage taken;
    ASSERT_TRUE(PlatPeekMessage(&taken));
    PlatTranslateMessage(&taken);
    PlatDispatchMessage(&taken);
  }
  void Send(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0) {
    SendTo(window, message, wParam, lParam);
  }

  uintptr_t window = 0;
};

TEST_F(WinProc, QuitGesturesActOnReleaseOnly) {
  Send(WM_KEYDOWN, VK_ESCAPE);
  Send(WM_KEYUP, 'A');
  Send(WM_RBUTTONDOWN);
  Send(WM_LBUTTONDOWN);
  Send(WM_LBUTTONUP);
  Send(WM_MBUTTONUP);
  Send(WM_MOUSEMOVE, 0, (20 << 16) | 10);
  EXPECT_EQ(QuitRequested, 0u);

  Send(WM_KEYUP, VK_ESCAPE);
  EXPECT_EQ(QuitRequested, 1u);
  QuitRequested = 0;
  Send(WM_RBUTTONUP, 0, (5 << 16) | 7);
  EXPECT_EQ(QuitRequested, 1u);
  EXPECT_EQ(CurrentMessage.message, WM_RBUTTONUP);
  EXPECT_EQ(CurrentMessage.lParam, (5u << 16) | 7u);
  EXPECT_TRUE(FakeWindowExists(window));
}

TEST_F(WinProc, EveryMessageGoesOnToTheDefaultHandling) {
  Send(WM_KEYUP, VK_ESCAPE, 0x12345);
  Send(WM_PAINT);
  ASSERT_EQ(FakeCount("DefWindowProc"), 2u);
  FakeDefWindowProcCall first = FakeFirst<FakeDefWindowProcCall>();
  EXPECT_EQ(first.window, static_cast<int64_t>(window));
  EXPECT_EQ(first.message, WM_KEYUP);
  EXPECT_EQ(first.wParam, VK_ESCAPE);
}

TEST_F(WinProc, CloseRequestQuitsAndDestroysTheWindow) {
  Send(WM_CLOSE);
  EXPECT_EQ(QuitRequested, 1u);
  EXPECT_FALSE(FakeWindowExists(window));
  // The later close has nothing left to destroy, and does no harm.
  CloseVideo();
  EXPECT_EQ(FakeCount("DestroyWindow"), 2u);
}

TEST_F(WinProc, FocusIsTrackedWithAndWithoutAHook) {
  Send(WM_SETFOCUS);
  EXPECT_EQ(WindowActive, 1u);
  Send(WM_KILLFOCUS);
  EXPECT_EQ(WindowActive, 0u);
  SetMessageHook(CountingHook);
  Send(WM_SETFOCUS);
  EXPECT_EQ(WindowActive, 1u);
  Send(WM_KILLFOCUS);
  EXPECT_EQ(WindowActive, 0u);
  EXPECT_EQ(HookCalls, 2);
}

TEST_F(WinProc, HookTakesOverTheQuitHandling) {
  SetMessageHook(CountingHook);
  Send(WM_KEYUP, VK_ESCAPE, 3);
  EXPECT_EQ(HookCalls, 1);
  EXPECT_EQ(HookSaw.window, window);
  EXPECT_EQ(HookSaw.message, WM_KEYUP);
  EXPECT_EQ(HookSaw.wParam, VK_ESCAPE);
  EXPECT_EQ(HookSaw.lParam, 3u);
  Send(WM_RBUTTONUP);
  Send(WM_CLOSE);
  EXPECT_EQ(HookCalls, 3);
  EXPECT_EQ(QuitRequested, 0u);
  EXPECT_FALSE(FakeWindowExists(window));  // closing is still the default's

  SetMessageHook(nullptr);  // none removes it
  QuitRequested = 0;
  ASSERT_TRUE(OpenVideo(320, 256, ModeWindow));
  SendTo(VideoWindow(), WM_KEYUP, VK_ESCAPE);
  EXPECT_EQ(QuitRequested, 1u);
  EXPECT_EQ(HookCalls, 3);
}

TEST_F(WinProc, MessagesForAnotherWindowAreOnlyPassedOn) {
  uintptr_t other = PlatCreateWindow(0, "QZClassName", "other", 0, 0, 0, 10, 10, 0);
  ASSERT_NE(other, 0u);
  ASSERT_NE(other, window);
  ASSERT_EQ(VideoWindow(), window);
  SendTo(window, WM_MOUSEMOVE, 1, 2);
  WindowActive = 1;
  for (uint32_t message : {WM_KEYUP, WM_RBUTTONUP, WM_KILLFOCUS, WM_SETFOCUS}) {
    SendTo(other, message, VK_ESCAPE, 9);
  }
  EXPECT_EQ(QuitRequested, 0u);
  EXPECT_EQ(WindowActive, 1u);
  EXPECT_EQ(CurrentMessage.window, window);
  EXPECT_EQ(CurrentMessage.message, WM_MOUSEMOVE);
  EXPECT_EQ(FakeCount("DefWindowProc"), 5u);
  SendTo(other, WM_CLOSE);
  EXPECT_EQ(QuitRequested, 0u);
  EXPECT_FALSE(FakeWindowExists(other));
  EXPECT_TRUE(FakeWindowExists(window));
}

TEST_F(WinProc, NoDemoWindowMeansNoMessageIsTheDemoWindows) {
  CloseVideo();
  ASSERT_EQ(VideoWindow(), 0u);
  WindowProcedure(0, WM_CLOSE, 0, 0);
  WindowProcedure(window, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(QuitRequested, 0u);
  EXPECT_EQ(CurrentMessage.message, 0u);
}

}  // namespace
