// The browser platform on the host, over a fake page: the ticks it runs by
// the page clock, the built-in libraries it serves, the colours it paints
// and the messages it hands out.
#include "platform/plat_bitmap.h"
#include "platform/plat_display.h"
#include "platform/plat_module.h"
#include "platform/plat_system.h"
#include "platform/plat_timer.h"
#include "platform/plat_window.h"
#include "platform/common/file.h"
#include "base/sound_entries.h"
#include "tests/web/fake_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<double> TickTimes;
void Tick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) { TickTimes.push_back(Page.now); }

intptr_t Procedure(uintptr_t, uint32_t, uint32_t, uint32_t) { return 0; }

TEST(WebTicks, RunAsTheClockMakesThemDueAtEachWait) {
  TickTimes.clear();
  uint32_t id = PlatTimerSetEvent(1, Tick);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(PlatTimerSetEvent(1, Tick), 0u) << "one event at a time";
  Page.now += 5.5;
  EXPECT_TRUE(TickTimes.empty()) << "nothing runs while the program does not wait";
  PlatSleep(0);
  EXPECT_TRUE(TickTimes.empty()) << "a pause of 0 gives the page nothing";
  PlatSleep(10);
  EXPECT_EQ(TickTimes.size(), 15u) << "every tick due by the end of the pause";
  PlatSleep(3000);
  EXPECT_EQ(TickTimes.size(), 3015u);
  EXPECT_TRUE(PlatTimerKillEvent(id));
  EXPECT_FALSE(PlatTimerKillEvent(id));
  PlatSleep(100);
  EXPECT_EQ(TickTimes.size(), 3015u) << "no tick after the kill";
}

TEST(WebModules, ServeTheDisplayAndSoundLibrariesBuiltIn) {
  EXPECT_EQ(PlatModuleLoad("other.dll"), nullptr);
  PlatModule sound = PlatModuleLoad("fmod.dll");
  ASSERT_NE(sound, nullptr);
#define QZ_DECORATED(slot, name, bytes, result, parameters) "_" #name "@" #bytes,
  const char* names[] = {QZ_SOUND_ENTRIES(QZ_DECORATED)};
#undef QZ_DECORATED
  ASSERT_EQ(sizeof names / sizeof names[0], 15u);
  for (const char* name : names) {
    EXPECT_NE(PlatModuleSymbol(sound, name), nullptr) << name;
  }
  EXPECT_EQ(PlatModuleSymbol(sound, "_FSOUND_GetVersion@0"), nullptr);
  EXPECT_EQ(PlatModuleSymbol(sound, "DirectDrawCreate"), nullptr) << "each library has its own exports";
  PlatModule display = PlatModuleLoad("ddraw.dll");
  ASSERT_NE(display, nullptr);
  EXPECT_NE(display, sound);
  EXPECT_NE(PlatModuleSymbol(display, "DirectDrawCreate"), nullptr);
  PlatModuleFree(sound);
  EXPECT_EQ(PlatModuleSymbol(sound, "_FSOUND_Init@12"), nullptr) << "a freed library has no exports";
  PlatModuleFree(display);
}

using InitFn = int (*)(int, int, unsigned);
using LoadFn = void* (*)(int, const void*, unsigned, int);
using PlayFn = int (*)(int, void*);
using PositionFn = unsigned (*)(int);
using StopFn = int (*)(int);
using CloseFn = void (*)();

struct Sound {
  PlatModule library = PlatModuleLoad("fmod.dll");
  InitFn init = reinterpret_cast<InitFn>(PlatModuleSymbol(library, "_FSOUND_Init@12"));
  LoadFn load = reinterpret_cast<LoadFn>(PlatModuleSymbol(library, "_FSOUND_Sample_LoadMpegMemory@16"));
  PlayFn play = reinterpret_cast<PlayFn>(PlatModuleSymbol(library, "_FSOUND_PlaySound@8"));
  PositionFn position = reinterpret_cast<PositionFn>(PlatModuleSymbol(library, "_FSOUND_GetCurrentPosition@4"));
  StopFn stop = reinterpret_cast<StopFn>(PlatModuleSymbol(library, "_FSOUND_StopSound@4"));
  CloseFn close = reinterpret_cast<CloseFn>(PlatModuleSymbol(library, "_FSOUND_Close@0"));
};

const uint8_t Music[64] = {0xFF, 0xFB};

TEST(WebSound, ThePositionIsTheAudioClocksMusicSamplesAndNeverGoesBack) {
  Sound s;
  Page = FakePage{};
  Page.loadResult = -1;
  ASSERT_EQ(s.init(44100, 32, 0), 1);
  EXPECT_EQ(s.load(-1, Music, 0, sizeof Music), nullptr) << "music the decoder refused";
  Page.loadResult = 1;
  void* sample = s.load(-1, Music, 0, sizeof Music);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(s.position(1), 0u) << "nothing plays before the play";
  int channel = s.play(-1, sample);
  EXPECT_EQ(Page.plays, 1);
  Page.audioSeconds = 2.0;
  EXPECT_EQ(s.position(channel), 88200u);
  EXPECT_EQ(Page.position, 88200u);
  Page.audioSeconds = 1.5;
  EXPECT_EQ(s.position(channel), 88200u) << "a clock that steps back holds the position";
  Page.audioSeconds = 2.5;
  EXPECT_EQ(s.position(channel), 110250u);
  s.stop(channel);
  s.stop(channel);
  EXPECT_EQ(Page.stops, 1) << "a stopped channel is not stopped again";
  EXPECT_EQ(s.position(channel), 0u);
  s.close();
  PlatModuleFree(s.library);
}

TEST(WebSound, WithoutAudioThePositionFollowsThePageClockFromThePlay) {
  Sound s;
  Page = FakePage{};
  Page.audio = false;
  Page.loadResult = 0;
  Page.loadWait = 4000;   // the viewer takes four seconds to click
  ASSERT_EQ(s.init(44100, 32, 0), 1);
  void* sample = s.load(-1, Music, 0, sizeof Music);
  ASSERT_NE(sample, nullptr) << "music taken unheard";
  int channel = s.play(-1, sample);
  EXPECT_EQ(Page.plays, 0) << "nothing to play it on";
  Page.now += 1000;
  EXPECT_EQ(s.position(channel), 44100u);
  Page.now += 10;
  EXPECT_EQ(s.position(channel), 44541u);
  s.close();
  PlatModuleFree(s.library);
}

// The display service and the window: a 320x240 frame copied at 32 bits,
// then at 16 and 15 bits, and the messages of the page.
struct Screen {
  PlatDisplay* display = nullptr;
  uintptr_t window = 0;
  uintptr_t windowDC = 0;
  uintptr_t memoryDC = 0;
  uint32_t* pixels = nullptr;

  Screen() {
    PlatWindowClass c{0, Procedure, 0, 0, PlatProgramInstance(), "QZClassName"};
    PlatRegisterClass(&c);
    window = PlatCreateWindow(0, "QZClassName", "title", WS_POPUP, 0, 0, 320, 240, c.instance);
    windowDC = PlatGetDC(window);
    memoryDC = PlatCreateCompatibleDC(0);
    PlatBitmapInfo info{BitmapHeaderSize, 320, -240, 1, 32, BI_RGB, 0, 0, 0, 0, 0, {0}};
    void* bits = nullptr;
    PlatSelectObject(memoryDC, PlatCreateDIBSection(memoryDC, &info, DIB_RGB_COLORS, &bits, 0, 0));
    pixels = static_cast<uint32_t*>(bits);
    PlatModule ddraw = PlatModuleLoad("ddraw.dll");
    auto create = reinterpret_cast<PlatDisplayCreate>(PlatModuleSymbol(ddraw, "DirectDrawCreate"));
    create(nullptr, &display, nullptr);
  }
  ~Screen() { PlatDestroyWindow(window); }

  // The canvas's red, green and blue at pixel i.
  uint32_t Canvas(size_t i) const {
    return uint32_t{Page.canvas[i * 4]} << 16 | uint32_t{Page.canvas[i * 4 + 1]} << 8 | Page.canvas[i * 4 + 2];
  }
};

int32_t CountMode(PlatSurfaceDesc* mode, void* context) {
  static_cast<std::vector<uint32_t>*>(context)->push_back(mode->ddpfPixelFormat.dwRGBBitCount);
  return DDENUMRET_OK;
}

TEST(WebScreen, CopiesShowTheFrameInTheColoursOfTheMode) {
  Screen s;
  Page = FakePage{};
  ASSERT_NE(s.window, 0u);
  ASSERT_NE(s.pixels, nullptr);
  s.pixels[0] = 0x00FF8001;
  s.pixels[319] = 0x00123456;
  s.pixels[320 * 240 - 1] = 0x00FFFFFF;

  // A window on the desktop: full colour, and each copy waits for a frame.
  EXPECT_TRUE(PlatBitBlt(s.windowDC, 0, 0, 320, 256, s.memoryDC, 0, 0, SRCCOPY));
  EXPECT_EQ(Page.frameWaits, 1);
  ASSERT_EQ(Page.canvas.size(), 320u * 240 * 4);
  EXPECT_EQ(s.Canvas(0), 0xFF8001u);
  EXPECT_EQ(s.Canvas(319), 0x123456u);
  EXPECT_EQ(Page.canvas[3], 255) << "opaque";

  std::vector<uint32_t> depths;
  PlatSurfaceDesc pattern{};
  pattern.dwSize = sizeof pattern;
  pattern.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  pattern.dwWidth = 320;
  pattern.dwHeight = 240;
  EXPECT_EQ(s.display->ops->EnumDisplayModes(s.display, DDEDM_REFRESHRATES, &pattern, &depths, CountMode), DD_OK);
  EXPECT_EQ(depths, (std::vector<uint32_t>{15, 16, 24, 32}));
  EXPECT_NE(s.display->ops->SetDisplayMode(s.display, 320, 240, 16), DD_OK) << "not before the screen is taken";
  ASSERT_EQ(s.display->ops->SetCooperativeLevel(s.display, s.window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_NE(s.display->ops->SetDisplayMode(s.display, 640, 480, 32), DD_OK);

  // 16 bits: 5-6-5; the vertical-blank wait is the copy's frame wait.
  ASSERT_EQ(s.display->ops->SetDisplayMode(s.display, 320, 240, 16), DD_OK);
  s.display->ops->WaitForVerticalBlank(s.display, DDWAITVB_BLOCKBEGIN, nullptr);
  PlatBitBlt(s.windowDC, 0, 0, 320, 240, s.memoryDC, 0, 0, SRCCOPY);
  EXPECT_EQ(Page.frameWaits, 2);
  EXPECT_EQ(s.Canvas(0), 0xFF8200u);
  EXPECT_EQ(s.Canvas(319), 0x103452u);
  EXPECT_EQ(s.Canvas(320 * 240 - 1), 0xFFFFFFu);

  ASSERT_EQ(s.display->ops->SetDisplayMode(s.display, 320, 240, 15), DD_OK);
  PlatBitBlt(s.windowDC, 0, 0, 320, 240, s.memoryDC, 0, 0, SRCCOPY);
  EXPECT_EQ(s.Canvas(0), 0xFF8400u);
  EXPECT_EQ(s.Canvas(319), 0x103152u);

  ASSERT_EQ(s.display->ops->SetDisplayMode(s.display, 320, 240, 24), DD_OK);
  PlatBitBlt(s.windowDC, 0, 0, 320, 240, s.memoryDC, 0, 0, SRCCOPY);
  EXPECT_EQ(s.Canvas(0), 0xFF8001u);
  s.display->ops->RestoreDisplayMode(s.display);
}

TEST(WebScreen, MessagesComeOneAtATimeForTheWindow) {
  Screen s;
  Page = FakePage{};
  Page.messages = {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_ESCAPE}};
  PlatMessage m{};
  ASSERT_TRUE(PlatPeekMessage(&m));
  EXPECT_EQ(m.window, s.window);
  EXPECT_EQ(m.message, WM_KEYDOWN);
  ASSERT_TRUE(PlatPeekMessage(&m));
  EXPECT_EQ(m.message, WM_KEYUP);
  EXPECT_EQ(m.wParam, VK_ESCAPE);
  EXPECT_FALSE(PlatPeekMessage(&m));
  EXPECT_EQ(PlatShowCursor(false), -1);
  EXPECT_FALSE(Page.pointerShown);
  EXPECT_EQ(PlatShowCursor(true), 0);
  EXPECT_TRUE(Page.pointerShown);
}

TEST(WebSystem, TheCommandLineIsThePagesAndTheClockIsThePages) {
  EXPECT_STREQ(PlatCommandLine(), "QZ_Quillwave2k.exe /w");
  Page.now = 2500.25;
  EXPECT_EQ(PlatClockNanoseconds(), 2500250000u);
}

// A file read hands the page control once 8 ms of work have passed since the
// program last got control back; the yield starts a new slice.
TEST(WebSystem, FileReadsInLongWorkHandThePageControlEveryFewMilliseconds) {
  PlatSleep(1);
  int before = Page.yields;
  const struct {
    double work;  // milliseconds before the read
    int yields;   // yields since the sleep, after it
  } reads[] = {{5, 0}, {2.9, 0}, {0.1, 1}, {4, 1}, {4, 2}, {20, 3}, {0, 3}};
  for (const auto& read : reads) {
    Page.now += read.work;
    CommonFileReadDone();
    EXPECT_EQ(Page.yields - before, read.yields) << "after " << read.work << " ms more";
  }
}

}  // namespace
