// The frame buffer and its presentation over the fake bitmap and display.
#include "base/syserror.h"
#include "platform/plat_bitmap.h"
#include "platform/plat_display.h"
#include "platform/plat_window.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_video.h"
#include "video/video.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts allocations so a test can show that presenting and taking messages
// allocate nothing.
namespace {
std::atomic<long> Allocations{0};
}
void* operator new(std::size_t size) {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr uint32_t Width = 320;
constexpr uint32_t Height = 240;
constexpr uint32_t Marker = 0xDEADBEEF;

// Must run before any frame is made in this process: the release on a
// shutdown path where start-up never got to the frame does nothing.
TEST(FrameBufferUnmade, ReleaseWithoutAFrameDoesNothing) {
  FakeReset();
  ReleaseFrameContext();
  EXPECT_EQ(FakeCount("ReleaseDC"), 0u);
}

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    SystemError = 0;
    FakeDisplayInstall();
  }
  void TearDown() override { CloseVideo(); }

  uint32_t* Open(bool surface, int32_t mode) {
    bool opened = surface ? OpenVideoSurface(Width, mode == ModeWindow ? 256 : Height, mode)
                          : OpenVideo(Width, mode == ModeWindow ? 256 : Height, mode);
    EXPECT_TRUE(opened);
    uint32_t* frame = CreateFrameBuffer(Width, Height, 32);
    EXPECT_NE(frame, nullptr);
    for (uint32_t i = 0; i < Width * Height; i++) {
      frame[i] = i + 1;  // every pixel different
    }
    uint32_t* surfaceMemory = FakeSurfaceMemory();
    for (size_t i = 0; i < FakeSurfaceRoom; i++) {
      surfaceMemory[i] = Marker;
    }
    return frame;
  }
};

TEST_F(Frame, FrameIsATopDownThirtyTwoBitBitmapHeldByAMemoryContext) {
  ASSERT_TRUE(OpenVideo(Width, Height, 32));
  uint32_t* frame = CreateFrameBuffer(Width, Height, 32);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(SystemError, 0u);
  EXPECT_EQ(FakeFirst<FakeCreateCompatibleDCCall>().reference, 0);  // compatible with the screen
  FakeCreateDIBSectionCall dib = FakeFirst<FakeCreateDIBSectionCall>();
  EXPECT_EQ(dib.width, 320);
  EXPECT_EQ(dib.height, -240);
  EXPECT_EQ(dib.bits, 32);
  size_t select = FakeFind("SelectObject");
  ASSERT_LT(FakeFind("CreateDIBSection"), select);
  frame[Width * Height - 1] = 0x00FF0000;  // the whole frame is writable

  ReleaseFrameContext();
  FakeReleaseDCCall release = FakeFirst<FakeReleaseDCCall>();
  EXPECT_EQ(release.window, static_cast<int64_t>(VideoWindow()));
  EXPECT_EQ(release.dc, FakeArgsAt<FakeSelectObjectCall>(select).dc);  // the memory context
  EXPECT_TRUE(FakeDCReleased(static_cast<uintptr_t>(release.dc)));
}

TEST_F(Frame, NoPixelMemoryGivesCodeFour) {
  ASSERT_TRUE(OpenVideo(Width, Height, 32));
  FakeBitmapFail(true);
  EXPECT_EQ(CreateFrameBuffer(Width, Height, 32), nullptr);
  EXPECT_EQ(SystemError, ErrorFrameBuffer);
  EXPECT_EQ(FakeCount("SelectObject"), 1u);
}

TEST_F(Frame, WindowOnTheDesktopCopiesTheRequestRectangleWithoutWaiting) {
  Open(false, ModeWindow);
  PresentFrame();
  EXPECT_EQ(FakeCount("WaitForVerticalBlank"), 0u);
  const FakeBlit& blit = FakeLastBitBlt();
  EXPECT_EQ(blit.destination, FakeWindowDC(VideoWindow()));
  EXPECT_EQ(blit.x, 0);
  EXPECT_EQ(blit.y, 0);
  EXPECT_EQ(blit.width, 320);
  EXPECT_EQ(blit.height, 256);  // the request's size, taller than the frame
  EXPECT_EQ(blit.source, static_cast<uintptr_t>(FakeFirst<FakeSelectObjectCall>().dc));
  EXPECT_EQ(blit.sourceX, 0);
  EXPECT_EQ(blit.sourceY, 0);
  EXPECT_EQ(blit.rasterOperation, SRCCOPY);
}

TEST_F(Frame, FullScreenWaitsForTheBlankThenCopies) {
  Open(false, ModeAutomatic);
  PresentFrame();
  PresentFrame();
  EXPECT_EQ(FakeCount("WaitForVerticalBlank"), 2u);
  EXPECT_EQ(FakeCount("BitBlt"), 2u);
  size_t wait = FakeFind("WaitForVerticalBlank");
  EXPECT_EQ(FakeArgsAt<FakeWaitForVerticalBlankCall>(wait).flags, 1);  // when a blank begins
  EXPECT_LT(wait, FakeFind("BitBlt"));
  EXPECT_EQ(FakeLastBitBlt().width, 320);
  EXPECT_EQ(FakeLastBitBlt().height, 240);
  EXPECT_EQ(FakeCount("Lock"), 0u);
}

TEST_F(Frame, SurfaceCopyWithRowsBackToBack) {
  uint32_t* frame = Open(true, 32);
  FakeSurfaceSetPitch(1280);
  PresentFrame();
  EXPECT_LT(FakeFind("WaitForVerticalBlank"), FakeFind("Lock"));
  EXPECT_EQ(FakeFirst<FakeLockCall>().rectangle, 0);  // the whole surface
  EXPECT_EQ(FakeFirst<FakeLockCall>().flags, 0x21);   // wait, write only
  EXPECT_LT(FakeFind("Lock"), FakeFind("Unlock"));
  EXPECT_EQ(FakeCount("BitBlt"), 0u);
  const uint32_t* surface = FakeSurfaceMemory();
  for (uint32_t i = 0; i < Width * Height; i++) {
    ASSERT_EQ(surface[i], frame[i]) << i;
  }
  EXPECT_EQ(surface[Width * Height], Marker);
}

TEST_F(Frame, SurfaceCopyWithWiderRowsLeavesTheGapsAlone) {
  uint32_t* frame = Open(true, 32);
  constexpr uint32_t PitchValues = 336;  // 1,344 bytes per surface row
  FakeSurfaceSetPitch(PitchValues * 4);
  PresentFrame();
  const uint32_t* surface = FakeSurfaceMemory();
  for (uint32_t y = 0; y < Height; y++) {
    for (uint32_t x = 0; x < PitchValues; x++) {
      uint32_t want = x < Width ? frame[y * Width + x] : Marker;
      ASSERT_EQ(surface[y * PitchValues + x], want) << x << "," << y;
    }
  }
  EXPECT_EQ(surface[Height * PitchValues], Marker);
}

TEST_F(Frame, SurfaceCopyWithoutPitchIsOneRun) {
  uint32_t* frame = Open(true, 32);
  FakeSurfaceSetPitch(0);
  PresentFrame();
  const uint32_t* surface = FakeSurfaceMemory();
  for (uint32_t i = 0; i < Width * Height; i++) {
    ASSERT_EQ(surface[i], frame[i]) << i;
  }
  EXPECT_EQ(surface[Width * Height], Marker);
}

TEST_F(Frame, SurfaceCopyWritesNothingWithoutUsableMemory) {
  Open(true, 32);
  FakeDisplaySetResult(FakeDisplayStep::Lock, DDERR_SURFACELOST);
  PresentFrame();
  EXPECT_EQ(FakeCount("Lock"), 1u);
  EXPECT_EQ(FakeCount("Unlock"), 0u);
  EXPECT_EQ(FakeSurfaceMemory()[0], Marker);

  // Rows closer together than a frame row would run past the surface.
  FakeDisplaySetResult(FakeDisplayStep::Lock, DD_OK);
  FakeSurfaceSetPitch(640);
  PresentFrame();
  EXPECT_EQ(FakeSurfaceMemory()[0], Marker);
  EXPECT_EQ(FakeSurfaceMemory()[160], Marker);
}

TEST_F(Frame, SurfaceTagOnTheDesktopFallsBackToTheWindowCopy) {
  Open(true, ModeWindow);
  PresentFrame();
  EXPECT_EQ(FakeCount("Lock"), 0u);
  EXPECT_EQ(FakeCount("BitBlt"), 1u);
}

TEST_F(Frame, StretchCopiesTheWholeFrameOntoTheGivenRectangle) {
  Open(false, ModeWindow);
  StretchFrame(0x2345, 640, 480);
  const FakeBlit& blit = FakeLastStretchBlt();
  EXPECT_EQ(blit.destination, 0x2345u);
  EXPECT_EQ(blit.x, 0);
  EXPECT_EQ(blit.y, 0);
  EXPECT_EQ(blit.width, 640);
  EXPECT_EQ(blit.height, 480);
  EXPECT_EQ(blit.sourceX, 0);
  EXPECT_EQ(blit.sourceY, 0);
  EXPECT_EQ(blit.sourceWidth, 320);
  EXPECT_EQ(blit.sourceHeight, 240);
  EXPECT_EQ(blit.rasterOperation, SRCCOPY);
}

TEST_F(Frame, PresentingAndTakingMessagesAllocateNothing) {
  Open(true, 32);
  FakeQueueMessage(VideoWindow(), WM_MOUSEMOVE, 0, 0);
  FakeQueueMessage(VideoWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
  long before = Allocations.load();
  PlatMessage message;
  for (int pass = 0; pass < 3; pass++) {
    PresentFrame();
    if (PlatPeekMessage(&message)) {
      PlatTranslateMessage(&message);
      PlatDispatchMessage(&message);
    }
  }
  long after = Allocations.load();
  EXPECT_EQ(after, before);
  EXPECT_EQ(FakeCount("DispatchMessage"), 2u);
}

}  // namespace
