// The present into the program's windows on Windows: the frame converted to
// the window's depth in a picture of the layer's own, put up by GDI at the
// largest whole factor that fits, centred on black, in step with the
// display's refresh.
#include "platform/plat_system.h"

#include "platform/common/shown.h"
#include "platform/windows/screen.h"

#include <algorithm>
#include <cstdint>

namespace {

// The largest picture converted here; the frame is 320x240.
constexpr int32_t PictureRoom = 640;
constexpr int32_t PictureRowRoom = 480;
constexpr int32_t BytesPerPixel = 4;
constexpr uint64_t NsPer100 = 100;
constexpr uint64_t NsPerMs = 1000000;
// Windows 10 1803 and later: a waitable timer of better than a millisecond.
constexpr DWORD HighResolutionTimer = 0x00000002;

using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL* enabled);
using DwmFlushFn = HRESULT(WINAPI*)();
using CreateWaitableTimerExWFn = HANDLE(WINAPI*)(SECURITY_ATTRIBUTES* attributes, const wchar_t* name, DWORD flags,
                                                 DWORD access);

// The layer's picture and the system's services it found. Main thread only.
HDC PictureDC = nullptr;               // holds the picture's bitmap; made at the first present
uint32_t* PicturePixels = nullptr;     // PictureRoom x PictureRowRoom, rows top-down
bool ServicesLooked = false;           // the compositor and the timer were looked for
DwmIsCompositionEnabledFn CompositionEnabled = nullptr;  // dwmapi.dll's, null without one
DwmFlushFn CompositorFlush = nullptr;
HANDLE WaitTimer = nullptr;            // a high-resolution waitable timer, null without one
CommonSleepJudge SleepJudge{};         // whether Sleep is too coarse to pace with

void LookForServices() {
  if (ServicesLooked) {
    return;
  }
  ServicesLooked = true;
  // Loaded by name: the program must start where the library is missing.
  HMODULE dwm = LoadLibraryA("dwmapi.dll");
  if (dwm != nullptr) {
    CompositionEnabled = reinterpret_cast<DwmIsCompositionEnabledFn>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
    CompositorFlush = reinterpret_cast<DwmFlushFn>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmFlush")));
  }
  // Vista and later; before it Sleep paces alone.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto createTimer = reinterpret_cast<CreateWaitableTimerExWFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "CreateWaitableTimerExW")));
  if (createTimer != nullptr) {
    WaitTimer = createTimer(nullptr, nullptr, HighResolutionTimer, TIMER_ALL_ACCESS);
  }
}

bool MakePicture() {
  if (PicturePixels != nullptr) {
    return true;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = PictureRoom;
  info.bmiHeader.biHeight = -PictureRowRoom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    return false;
  }
  if (bits == nullptr) {
    DeleteObject(bitmap);
    return false;
  }
  PictureDC = CreateCompatibleDC(nullptr);
  if (PictureDC == nullptr) {
    DeleteObject(bitmap);
    return false;
  }
  SelectObject(PictureDC, bitmap);
  PicturePixels = static_cast<uint32_t*>(bits);
  return true;
}

// The picture scaled into the client area, and black around it.
void Draw(WindowsScreen* screen, HDC dc) {
  RECT client{};
  GetClientRect(screen->window, &client);
  int32_t width = client.right - client.left;
  int32_t height = client.bottom - client.top;
  CommonPlacement at = CommonPlacePicture(screen->pictureWidth, screen->pictureHeight, width, height);
  if (at.width == screen->pictureWidth) {
    BitBlt(dc, at.x, at.y, at.width, at.height, PictureDC, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, at.x, at.y, at.width, at.height, PictureDC, 0, 0, screen->pictureWidth, screen->pictureHeight,
               SRCCOPY);
  }
  if (screen->relayout) {
    // The borders change only with the layout.
    PatBlt(dc, 0, 0, width, at.y, BLACKNESS);
    PatBlt(dc, 0, at.y + at.height, width, height - at.y - at.height, BLACKNESS);
    PatBlt(dc, 0, at.y, at.x, at.height, BLACKNESS);
    PatBlt(dc, at.x + at.width, at.y, width - at.x - at.width, at.height, BLACKNESS);
  }
  screen->relayout = false;
}

}  // namespace

// Sleep first: under Wine it waits inside the process, where a waitable
// timer costs two server round trips per wait. Where Sleep proves coarse
// (a system timer resolution of 15.6 ms), the high-resolution timer waits.
void WindowsSleepUntil(uint64_t when) {
  for (uint64_t now = PlatClockNanoseconds(); now < when; now = PlatClockNanoseconds()) {
    uint64_t left = when - now;
    if (!SleepJudge.coarse || WaitTimer == nullptr) {
      DWORD ms = static_cast<DWORD>((left + NsPerMs - 1) / NsPerMs);
      Sleep(ms);
      CommonJudgeSleep(&SleepJudge, uint64_t{ms} * NsPerMs, PlatClockNanoseconds() - now);
      continue;
    }
    LARGE_INTEGER due;
    // Relative times are negative, in 100 ns units; at least one unit.
    due.QuadPart = -static_cast<LONGLONG>(left / NsPer100 + 1);
    if (SetWaitableTimer(WaitTimer, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(WaitTimer, INFINITE);
    } else {
      // A timer that cannot be set is given up; Sleep waits from now on.
      CloseHandle(WaitTimer);
      WaitTimer = nullptr;
    }
  }
}

void WindowsWaitForRefresh(WindowsScreen* screen, HDC dc) {
  LookForServices();
  // Asking for the rate costs Wine three server round trips; it changes
  // only with the mode or the monitor, which the screen's messages note.
  if (screen->refreshPeriod == 0) {
    screen->refreshPeriod = CommonRefreshPeriod(GetDeviceCaps(dc, VREFRESH));
  }
  uint64_t period = screen->refreshPeriod;
  uint64_t before = PlatClockNanoseconds();
  BOOL composited = FALSE;
  uint64_t target = 0;
  if (CompositionEnabled != nullptr && CompositorFlush != nullptr && CompositionEnabled(&composited) == S_OK &&
      composited) {
    CompositorFlush();
    target = CommonPaceAfterWait(&screen->pacer, before, PlatClockNanoseconds(), period);
  } else {
    target = CommonPaceTarget(&screen->pacer, before, period);
  }
  if (target != 0) {
    WindowsSleepUntil(target);
  }
}

bool WindowsPresent(HDC dc, const CommonImage& image, const CommonStretch& copy) {
  WindowsScreen* screen = WindowsFindScreen(WindowFromDC(dc));
  if (screen == nullptr || copy.x != 0 || copy.y != 0 || copy.width <= 0 || copy.height <= 0 ||
      copy.width > PictureRoom || copy.height > PictureRowRoom || !MakePicture()) {
    return false;
  }
  // The picture is the part of the copy that carries image pixels: a window
  // asked for with the year-2000 caption rows is copied into whole, and
  // those rows below the frame would only push the picture down a factor.
  int32_t width = static_cast<int32_t>(std::clamp<int64_t>(
      int64_t{image.width - copy.sourceX} * copy.width / std::max(1, copy.sourceWidth), 1, copy.width));
  int32_t height = static_cast<int32_t>(std::clamp<int64_t>(
      int64_t{image.height - copy.sourceY} * copy.height / std::max(1, copy.sourceHeight), 1, copy.height));
  if (width != screen->pictureWidth || height != screen->pictureHeight) {
    screen->pictureWidth = width;
    screen->pictureHeight = height;
    screen->relayout = true;
  }
  CommonShownCopy shown = CommonShownCopyOf(reinterpret_cast<uintptr_t>(screen->window), copy, image);
  bool again = screen->relayout || !CommonAlreadyShown(shown, image);
  if (again) {
    CommonClip clip = CommonClipStretch(copy, width, height);
    CommonStretchCopy(image, copy, clip, PicturePixels, PictureRoom * BytesPerPixel,
                      screen->fullColour ? nullptr : screen->level);
    CommonRememberShown(shown, image);
  }
  // A real display mode was waited for by DirectDraw already.
  if (!screen->exclusive) {
    WindowsWaitForRefresh(screen, dc);
  }
  if (again) {
    Draw(screen, dc);
  }
  return true;
}
