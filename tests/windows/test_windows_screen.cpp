// The Windows layer's own windows under Wine: a window on the desktop opens
// at its monitor's scale; a copy into it shows the frame at the largest
// whole factor that fits, centred on black, also after the viewer resizes
// it; Alt+Enter covers the monitor and comes back. The system's procedure
// sees none of the size changes or of Alt+Enter.
#include "platform/plat_bitmap.h"
#include "platform/plat_window.h"

#include "platform/common/present.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>
#include <windows.h>

namespace {

constexpr int32_t PictureWidth = static_cast<int32_t>(FrameWidth);
constexpr int32_t PictureHeight = static_cast<int32_t>(FrameHeight);

std::vector<uint32_t> Seen;  // messages the system's procedure received
uintptr_t Window = 0;

intptr_t Recording(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (window == Window) {
    Seen.push_back(message);
  }
  return PlatDefWindowProc(window, message, wParam, lParam);
}

bool SawMessage(uint32_t message) {
  for (uint32_t m : Seen) {
    if (m == message) {
      return true;
    }
  }
  return false;
}

uint32_t Pattern(int32_t x, int32_t y) { return static_cast<uint32_t>((x * 2654435761u) ^ (y * 40503u)) & 0xFFFFFF; }

// A 320x240 frame in a memory context, as the system makes it.
struct TestFrame {
  HDC dc;
  uint32_t* pixels;
};

TestFrame MakeFrame() {
  PlatBitmapInfo info{BitmapHeaderSize, PictureWidth, -PictureHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0, {0}};
  uintptr_t dc = PlatCreateCompatibleDC(0);
  void* bits = nullptr;
  uintptr_t bitmap = PlatCreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, 0, 0);
  PlatSelectObject(dc, bitmap);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int32_t y = 0; y < PictureHeight && pixels != nullptr; y++) {
    for (int32_t x = 0; x < PictureWidth; x++) {
      pixels[y * PictureWidth + x] = Pattern(x, y);
    }
  }
  return TestFrame{reinterpret_cast<HDC>(dc), pixels};
}

// What the window's client area shows, read back through its context.
std::vector<uint32_t> ReadClient(HWND window, int32_t* width, int32_t* height) {
  RECT client{};
  GetClientRect(window, &client);
  *width = client.right;
  *height = client.bottom;
  HDC windowDC = GetDC(window);
  HDC memory = CreateCompatibleDC(windowDC);
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), *width, -*height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, *width, *height, windowDC, 0, 0, SRCCOPY);
  std::vector<uint32_t> shown(static_cast<const uint32_t*>(bits),
                              static_cast<const uint32_t*>(bits) + static_cast<size_t>(*width) * *height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDC);
  for (uint32_t& p : shown) {
    p &= 0xFFFFFF;
  }
  return shown;
}

// The client area shows the frame at the largest whole factor, centred,
// every other pixel black. Returns the factor, 0 when the picture is wrong.
int32_t ExpectFrameScaled(HWND window) {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> shown = ReadClient(window, &width, &height);
  CommonPlacement at = CommonPlacePicture(PictureWidth, PictureHeight, width, height);
  int32_t factor = at.width / PictureWidth;
  int wrongFrame = 0;
  int wrongBorder = 0;
  char first[96] = "";  // the first wrong frame pixel, for the report
  for (int32_t y = 0; y < height; y++) {
    for (int32_t x = 0; x < width; x++) {
      bool inside = x >= at.x && x < at.x + at.width && y >= at.y && y < at.y + at.height;
      uint32_t got = shown[static_cast<size_t>(y) * width + x];
      if (inside) {
        uint32_t want = Pattern((x - at.x) / factor, (y - at.y) / factor);
        if (got != want && wrongFrame++ == 0) {
          std::snprintf(first, sizeof first, "first at (%d, %d): 0x%06x, want 0x%06x", x, y, got, want);
        }
      } else {
        wrongBorder += got != 0;
      }
    }
  }
  EXPECT_EQ(wrongFrame, 0) << "frame pixels wrong in " << width << "x" << height << " at " << factor << "x, " << first;
  EXPECT_EQ(wrongBorder, 0) << "border pixels not black in " << width << "x" << height;
  return wrongFrame == 0 && wrongBorder == 0 ? factor : 0;
}

// As the system copies: its whole window, the caption rows it asked for
// beyond the frame included.
void Present(const TestFrame& frame) {
  uintptr_t dc = PlatGetDC(Window);
  PlatBitBlt(dc, 0, 0, PictureWidth, PictureHeight + FrameWindowCaptionRows, reinterpret_cast<uintptr_t>(frame.dc), 0,
             0, SRCCOPY);
  PlatReleaseDC(Window, dc);
}

int32_t MonitorFactor(HWND window) {
  using DpiForWindowFn = UINT(WINAPI*)(HWND);
  auto forWindow = reinterpret_cast<DpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return CommonDpiFactor(forWindow != nullptr ? static_cast<int32_t>(forWindow(window)) : CommonBaseDpi);
}

class WindowsScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Seen.clear();
    PlatWindowClass windowClass{CS_HREDRAW | CS_VREDRAW, Recording, 0, 0, PlatProgramInstance(), "QZScreenClass"};
    ASSERT_TRUE(PlatRegisterClass(&windowClass));
    // The outer size the system asks for: the picture and the year-2000
    // caption's rows.
    Window = PlatCreateWindow(0, "QZScreenClass", "scaled", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, PictureWidth,
                              PictureHeight + FrameWindowCaptionRows, PlatProgramInstance());
    ASSERT_NE(Window, 0u);
    PlatShowWindow(Window, SW_SHOW);
    frame = MakeFrame();
    ASSERT_NE(frame.pixels, nullptr);
  }
  void TearDown() override {
    PlatDestroyWindow(Window);
    Window = 0;
  }
  TestFrame frame{};
};

TEST_F(WindowsScreenTest, AWindowShowsTheFrameAtTheLargestWholeFactorAlsoWhenResized) {
  HWND window = reinterpret_cast<HWND>(Window);
  int32_t factor = MonitorFactor(window);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, PictureWidth * factor) << "the client area is the picture's, at the monitor's scale";
  EXPECT_EQ(client.bottom, PictureHeight * factor);
  EXPECT_NE(GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME, 0) << "the viewer may resize it";
  EXPECT_NE(GetWindowLongPtrA(window, GWL_STYLE) & WS_MAXIMIZEBOX, 0) << "and maximise it";
  Present(frame);
  EXPECT_EQ(ExpectFrameScaled(window), factor);

  // Three times and a little: centred with a black border. The same frame
  // again is shown anew, as the size changed.
  RECT outer{0, 0, 1000, 760};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE, 0);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOMOVE);
  Present(frame);
  EXPECT_EQ(ExpectFrameScaled(window), 3);

  // A changed frame at the same size.
  for (int32_t x = 0; x < PictureWidth; x++) {
    frame.pixels[x] = 0x00FF8000;
  }
  Present(frame);
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> shown = ReadClient(window, &width, &height);
  CommonPlacement at = CommonPlacePicture(PictureWidth, PictureHeight, width, height);
  EXPECT_EQ(shown[static_cast<size_t>(at.y + 2) * width + at.x + 2], 0x00FF8000u) << "the changed top row";
  EXPECT_EQ(shown[static_cast<size_t>(at.y + 3) * width + at.x + 2], Pattern(0, 1)) << "the row below it";
  EXPECT_FALSE(SawMessage(WM_SIZE)) << "size changes are the layer's";
}

TEST_F(WindowsScreenTest, AltEnterCoversTheMonitorAndComesBack) {
  HWND window = reinterpret_cast<HWND>(Window);
  RECT before{};
  GetWindowRect(window, &before);
  constexpr LPARAM AltEnter = (LPARAM{1} << 29) | 0x1C0001;
  SendMessageA(window, WM_SYSKEYDOWN, VK_RETURN, AltEnter);
  SendMessageA(window, WM_SYSKEYUP, VK_RETURN, AltEnter | (LPARAM{3} << 30));

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor));
  RECT covered{};
  GetWindowRect(window, &covered);
  EXPECT_TRUE(EqualRect(&covered, &monitor.rcMonitor)) << covered.right << "x" << covered.bottom;
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, 0) << "borderless";
  EXPECT_NE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  Present(frame);
  EXPECT_GE(ExpectFrameScaled(window), 1);

  SendMessageA(window, WM_SYSKEYDOWN, VK_RETURN, AltEnter);
  SendMessageA(window, WM_SYSKEYUP, VK_RETURN, AltEnter | (LPARAM{3} << 30));
  RECT after{};
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&after, &before));
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  Present(frame);
  EXPECT_EQ(ExpectFrameScaled(window), MonitorFactor(window));
  EXPECT_FALSE(SawMessage(WM_SYSKEYDOWN) || SawMessage(WM_SYSKEYUP) || SawMessage(WM_SIZE));
}

}  // namespace
