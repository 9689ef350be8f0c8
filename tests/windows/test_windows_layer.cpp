// The Windows layer under Wine: entry names looked up exactly as written,
// DirectDraw's mode list through the system's record equal to the object's
// own, the window thunk handing pointer-sized values whole to the default
// handling, one message through the queue, and the multimedia timer's
// synchronous kill. Needs a display (the Wine stage runs it inside Xvfb).
#include "platform/plat_display.h"
#include "platform/plat_module.h"
#include "platform/plat_system.h"
#include "platform/plat_timer.h"
#include "platform/plat_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <tuple>
#include <windows.h>
#include <ddraw.h>

namespace {

using Mode = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>;  // width, height, bits, refresh

TEST(WindowsModules, NamesAreLookedUpExactlyAsWritten) {
  PlatModule lib = PlatModuleLoad(PlatSoundLibraryName);
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(PlatModuleSymbol(lib, "_FSOUND_Init@12"), nullptr);
  EXPECT_NE(PlatModuleSymbol(lib, "_FSOUND_Sample_LoadMpegMemory@16"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(lib, "FSOUND_Init"), nullptr) << "no undecoration on Windows";
  EXPECT_EQ(PlatModuleSymbol(lib, "_FSOUND_Init@16"), nullptr);
  PlatModuleFree(lib);
  EXPECT_EQ(PlatModuleLoad("qz_no_such_library.dll"), nullptr);
  EXPECT_EQ(PlatModuleLoad(""), nullptr);
}

std::set<Mode>* Collected = nullptr;

int32_t CollectMode(PlatSurfaceDesc* mode, void* context) {
  EXPECT_EQ(context, &Collected);
  EXPECT_EQ(mode->dwSize, sizeof(PlatSurfaceDesc));
  if ((mode->dwFlags & DDSD_PIXELFORMAT) != 0 && (mode->ddpfPixelFormat.dwFlags & DDPF_RGB) != 0) {
    Collected->insert(Mode{mode->dwWidth, mode->dwHeight, mode->ddpfPixelFormat.dwRGBBitCount,
                           (mode->dwFlags & DDSD_REFRESHRATE) != 0 ? mode->dwRefreshRate : 0});
  }
  return DDENUMRET_OK;
}

HRESULT WINAPI CollectNativeMode(DDSURFACEDESC* mode, void* context) {
  auto* modes = static_cast<std::set<Mode>*>(context);
  if ((mode->dwFlags & DDSD_PIXELFORMAT) != 0 && (mode->ddpfPixelFormat.dwFlags & DDPF_RGB) != 0) {
    modes->insert(Mode{mode->dwWidth, mode->dwHeight, mode->ddpfPixelFormat.dwRGBBitCount,
                       (mode->dwFlags & DDSD_REFRESHRATE) != 0 ? mode->dwRefreshRate : 0});
  }
  return DDENUMRET_OK;
}

// The display service's library and its object, as the program makes them.
void OpenDisplay(PlatModule* lib, PlatDisplay** display) {
  *lib = PlatModuleLoad(PlatDisplayLibraryName);
  ASSERT_NE(*lib, nullptr);
  auto create = reinterpret_cast<PlatDisplayCreate>(PlatModuleSymbol(*lib, PlatDisplayCreateName));
  ASSERT_NE(create, nullptr);
  ASSERT_EQ(create(nullptr, display, nullptr), DD_OK);
  ASSERT_NE(*display, nullptr);
}

TEST(WindowsDisplay, ModesThroughTheSystemsRecordAreTheObjectsOwn) {
  static_assert(sizeof(DDSURFACEDESC) == (sizeof(void*) == 8 ? 120 : 108), "the system's layout, 64- or 32-bit");
  PlatModule lib = nullptr;
  PlatDisplay* display = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenDisplay(&lib, &display));

  std::set<Mode> adapted;
  Collected = &adapted;
  PlatSurfaceDesc pattern{};
  pattern.dwSize = sizeof pattern;
  pattern.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  pattern.dwWidth = 320;
  pattern.dwHeight = 240;
  ASSERT_EQ(display->ops->EnumDisplayModes(display, DDEDM_REFRESHRATES, &pattern, &Collected, CollectMode), DD_OK);

  auto realCreate = reinterpret_cast<HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*)>(
      reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(lib), PlatDisplayCreateName)));
  IDirectDraw* object = nullptr;
  ASSERT_EQ(realCreate(nullptr, &object, nullptr), DD_OK);
  DDSURFACEDESC native{};
  native.dwSize = sizeof native;
  native.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  native.dwWidth = 320;
  native.dwHeight = 240;
  std::set<Mode> direct;
  ASSERT_EQ(object->EnumDisplayModes(DDEDM_REFRESHRATES, &native, &direct, CollectNativeMode), DD_OK);
  object->Release();

  EXPECT_FALSE(direct.empty()) << "no 320x240 mode offered: is Wine's virtual desktop on?";
  // Every mode of the object's own, and one more for each of 15, 16, 24 and
  // 32 bits that it lacks (24 in Wine's list, as on Windows 8 and later).
  std::set<uint32_t> directDepths;
  for (const Mode& m : direct) {
    directDepths.insert(std::get<2>(m));
  }
  std::set<uint32_t> added;
  for (const Mode& m : adapted) {
    EXPECT_EQ(std::get<0>(m), 320u);
    EXPECT_EQ(std::get<1>(m), 240u);
    if (direct.count(m) == 0) {
      EXPECT_EQ(directDepths.count(std::get<2>(m)), 0u) << std::get<2>(m) << " bits offered twice";
      EXPECT_TRUE(added.insert(std::get<2>(m)).second) << std::get<2>(m) << " bits stood in for twice";
    }
  }
  EXPECT_EQ(adapted.size(), direct.size() + added.size()) << "a mode of the object's own is missing";
  for (uint32_t depth : {15u, 16u, 24u, 32u}) {
    EXPECT_TRUE(directDepths.count(depth) + added.count(depth) == 1) << depth << " bits";
  }
}

intptr_t DefaultOnly(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  return PlatDefWindowProc(window, message, wParam, lParam);
}

// The switches the program makes, through the system's record, and the
// primary surface a lock then describes: its depth is the mode's (15 bits
// are stored in 16). 24 bits, which the display refuses, are stood in for:
// the desktop keeps its mode, the window covers it, and the surface holds
// the frame's own 32-bit values.
TEST(WindowsDisplay, EachModeSwitchGivesAPrimarySurfaceOfItsDepth) {
  PlatWindowClass windowClass{0, DefaultOnly, 0, 0, PlatProgramInstance(), "QZModeClass"};
  ASSERT_TRUE(PlatRegisterClass(&windowClass));
  uintptr_t window = PlatCreateWindow(0, "QZModeClass", "modes", WS_POPUP | WS_BORDER | WS_SYSMENU, 0, 0, 320, 240,
                                      PlatProgramInstance());
  ASSERT_NE(window, 0u);
  PlatModule lib = nullptr;
  PlatDisplay* display = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenDisplay(&lib, &display));
  ASSERT_EQ(display->ops->SetCooperativeLevel(display, window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE),
            DD_OK);

  struct Case {
    uint32_t depth;
    uint32_t bitCount;
    int32_t pitch;
  };
  for (Case c : {Case{32, 32, 1280}, Case{16, 16, 640}, Case{15, 16, 640}, Case{24, 32, 1280}}) {
    SCOPED_TRACE(c.depth);
    ASSERT_EQ(display->ops->SetDisplayMode(display, 320, 240, c.depth), DD_OK);

    PlatSurfaceDesc wanted{};
    wanted.dwSize = sizeof wanted;
    wanted.dwFlags = DDSD_CAPS;
    wanted.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    PlatDisplaySurface* surface = nullptr;
    ASSERT_EQ(display->ops->CreateSurface(display, &wanted, &surface, nullptr), DD_OK);
    ASSERT_NE(surface, nullptr);
    PlatSurfaceDesc locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(surface->ops->Lock(surface, nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
    EXPECT_NE(locked.lpSurface, nullptr);
    EXPECT_EQ(locked.dwSize, sizeof(PlatSurfaceDesc));
    EXPECT_EQ(locked.dwWidth, 320u);
    EXPECT_EQ(locked.dwHeight, 240u);
    EXPECT_EQ(locked.ddpfPixelFormat.dwRGBBitCount, c.bitCount);
    EXPECT_GE(locked.lPitch, c.pitch);
    EXPECT_EQ(surface->ops->Unlock(surface, nullptr), DD_OK);
    EXPECT_EQ(display->ops->WaitForVerticalBlank(display, DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  }
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
  EXPECT_NE(mode.dmPelsWidth, 320u) << "the stand-in keeps the desktop's own mode";
  RECT client{};
  GetClientRect(reinterpret_cast<HWND>(window), &client);
  EXPECT_EQ(client.right, static_cast<LONG>(mode.dmPelsWidth));
  EXPECT_EQ(client.bottom, static_cast<LONG>(mode.dmPelsHeight));
  EXPECT_EQ(display->ops->RestoreDisplayMode(display), DD_OK);
  PlatDestroyWindow(window);
}

// Where the display refuses a mode and the stand-in does not serve it (a
// size of no list), the switch fails, so the program ends with its
// display-mode code, and the desktop keeps its mode; so does a switch for a
// window gone since it asked for the screen. (The program itself asks only
// for 320x240 at 15 to 32 bits, which the stand-in serves wherever there is
// a monitor to cover. Wine's virtual desktop switches to any depth asked,
// so a size is what both Wine setups refuse.)
TEST(WindowsDisplay, AModeNeitherSwitchedNorStoodInForKeepsTheDesktopsMode) {
  PlatWindowClass windowClass{0, DefaultOnly, 0, 0, PlatProgramInstance(), "QZRefusedClass"};
  ASSERT_TRUE(PlatRegisterClass(&windowClass));
  uintptr_t window = PlatCreateWindow(0, "QZRefusedClass", "refused", WS_POPUP | WS_BORDER | WS_SYSMENU, 0, 0,
                                      320, 240, PlatProgramInstance());
  ASSERT_NE(window, 0u);
  PlatModule lib = PlatModuleLoad("ddraw.dll");
  ASSERT_NE(lib, nullptr);
  auto create = reinterpret_cast<PlatDisplayCreate>(PlatModuleSymbol(lib, "DirectDrawCreate"));
  ASSERT_NE(create, nullptr);
  PlatDisplay* display = nullptr;
  ASSERT_EQ(create(nullptr, &display, nullptr), DD_OK);
  constexpr uint32_t Exclusive = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE;
  ASSERT_EQ(display->ops->SetCooperativeLevel(display, window, Exclusive), DD_OK);
  auto desktopWidth = [] {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmPelsWidth : 0;
  };
  DWORD before = desktopWidth();
  ASSERT_GT(before, 320u);

  EXPECT_NE(display->ops->SetDisplayMode(display, 333, 222, 32), DD_OK);
  EXPECT_EQ(desktopWidth(), before);
  ASSERT_EQ(display->ops->SetDisplayMode(display, 320, 240, 32), DD_OK) << "while the window is there";
  ASSERT_EQ(display->ops->RestoreDisplayMode(display), DD_OK);
  EXPECT_EQ(desktopWidth(), before);

  PlatDestroyWindow(window);
  EXPECT_NE(display->ops->SetDisplayMode(display, 320, 240, 32), DD_OK) << "the window is gone";
  EXPECT_EQ(desktopWidth(), before);
}

// What the test window's procedure saw last.
struct Seen {
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};
Seen LastSeen;
uintptr_t TestWindow = 0;

intptr_t RecordingProcedure(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (window == TestWindow) {
    LastSeen = Seen{message, wParam, lParam};
  }
  return PlatDefWindowProc(window, message, wParam, lParam);
}

class WindowsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatWindowClass windowClass{0, RecordingProcedure, 0, 0, PlatProgramInstance(), "QZTestClass"};
    ASSERT_TRUE(PlatRegisterClass(&windowClass));
    TestWindow = PlatCreateWindow(0, "QZTestClass", "made whole", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 200,
                                  100, PlatProgramInstance());
    ASSERT_NE(TestWindow, 0u);
  }
  void TearDown() override {
    PlatDestroyWindow(TestWindow);
    TestWindow = 0;
  }
};

TEST_F(WindowsWindow, TheDefaultHandlingGetsPointerSizedValuesWhole) {
  HWND window = reinterpret_cast<HWND>(TestWindow);
  char text[64] = {};
  // The title travels in the creation record that WM_NCCREATE points at.
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "made whole");

  // On 64 bits a text above 4 GiB: its address does not fit the 32 bits the
  // system's procedure takes, only the thunk's copy of the message holds it.
  // On 32 bits every address fits, and the text still goes through the thunk.
  auto* high = static_cast<char*>(
      VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
  ASSERT_NE(high, nullptr);
  if constexpr (sizeof(void*) > 4) {
    ASSERT_GT(reinterpret_cast<uint64_t>(high), uint64_t{0xFFFFFFFF});
  }
  std::memcpy(high, "from above", 11);
  EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(high)));
  EXPECT_EQ(LastSeen.message, WM_SETTEXT);
  EXPECT_EQ(LastSeen.lParam, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(high)));
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "from above");
  VirtualFree(high, 0, MEM_RELEASE);
}

TEST_F(WindowsWindow, AQueuedKeyReleaseReachesTheProcedureThroughPeekAndDispatch) {
  ASSERT_TRUE(PostMessageA(reinterpret_cast<HWND>(TestWindow), WM_KEYUP, VK_ESCAPE, 0xC0000001));
  PlatMessage message{};
  bool found = false;
  for (int i = 0; i < 1000 && !found; i++) {
    if (!PlatPeekMessage(&message)) {
      break;
    }
    found = message.window == TestWindow && message.message == WM_KEYUP;
    PlatTranslateMessage(&message);
    PlatDispatchMessage(&message);
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(message.wParam, VK_ESCAPE);
  EXPECT_EQ(message.lParam, 0xC0000001u);
  EXPECT_EQ(LastSeen.message, WM_KEYUP);
  EXPECT_EQ(LastSeen.wParam, VK_ESCAPE);
}

// The timer callback's own record: how often it ran and whether it is
// inside its (slow) body right now.
std::atomic<int> Ticks{0};
std::atomic<bool> Inside{false};

void SlowTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  Inside.store(true);
  Ticks.fetch_add(1);
  Sleep(5);
  Inside.store(false);
}

TEST(WindowsTimer, ResolutionRangeHoldsTheTicksAndAKilledEventHasFinished) {
  uint32_t periodMin = 0;
  uint32_t periodMax = 0;
  ASSERT_TRUE(PlatTimerCaps(&periodMin, &periodMax));
  EXPECT_LE(periodMin, 1u);
  EXPECT_GE(periodMax, 16384u);
  ASSERT_TRUE(PlatTimerBeginPeriod(16384));
  PlatTimerEndPeriod(16384);

  uint32_t id = PlatTimerSetEvent(1, SlowTick);
  ASSERT_NE(id, 0u);
  Sleep(200);
  ASSERT_TRUE(PlatTimerKillEvent(id));
  // TIME_KILL_SYNCHRONOUS: the routine is not running once the kill returns.
  EXPECT_FALSE(Inside.load());
  int after = Ticks.load();
  EXPECT_GT(after, 5);
  Sleep(50);
  EXPECT_EQ(Ticks.load(), after);
  EXPECT_FALSE(PlatTimerKillEvent(id));
}

TEST(WindowsSystem, TheClockMovesWithSleep) {
  uint64_t before = PlatClockNanoseconds();
  PlatSleep(30);
  uint64_t slept = PlatClockNanoseconds() - before;
  EXPECT_GE(slept, 25000000u);
  EXPECT_LT(slept, 2000000000u);
  EXPECT_NE(std::strstr(PlatCommandLine(), "test_windows_layer"), nullptr);
}

}  // namespace
