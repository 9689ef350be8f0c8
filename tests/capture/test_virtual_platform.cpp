// The virtual platform: ticks follow the clock in order, pauses and
// presents move it, the stand-in sound library's position follows it, and
// the program file can be found under another name.
#include "platform/plat_bitmap.h"
#include "platform/plat_file.h"
#include "platform/plat_module.h"
#include "platform/plat_system.h"
#include "platform/plat_timer.h"
#include "platform/plat_window.h"
#include "platform/virtual/virtual.h"
#include "tests/common/memory_bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Clock readings at each tick.
std::vector<uint64_t> TickTimes;
void RecordTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) { TickTimes.push_back(VirtualNow()); }

std::vector<std::pair<uint64_t, uint32_t>> Presents;   // clock and first pixel
void RecordPresent(const uint32_t* pixels, uint32_t width, uint32_t height, uint64_t now) {
  Presents.emplace_back(now, pixels[0]);
}

intptr_t Procedure(uintptr_t, uint32_t, uint32_t, uint32_t) { return 0; }

// One process, one clock: the cases run in order inside one test.
TEST(VirtualPlatform, ClockTicksPresentsAndMusicPosition) {
  VirtualSetFrameRate(50);   // 50 units per millisecond, 1,000 per frame

  // Pauses move the clock; the reported time follows it in nanoseconds.
  PlatSleep(3);
  EXPECT_EQ(VirtualNow(), 150u);
  EXPECT_EQ(PlatClockNanoseconds(), 3000000u);

  // The tick event falls due once per interval from its start, each tick
  // seeing the clock at its own due time, and only while it runs.
  uint32_t periodMin = 0;
  uint32_t periodMax = 0;
  ASSERT_TRUE(PlatTimerCaps(&periodMin, &periodMax));
  EXPECT_TRUE(PlatTimerBeginPeriod(16384));
  uint32_t id = PlatTimerSetEvent(1, RecordTick);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(PlatTimerSetEvent(1, RecordTick), 0u) << "a second event while one runs";
  VirtualAdvance(49);
  EXPECT_TRUE(TickTimes.empty());
  VirtualAdvance(1);
  EXPECT_EQ(TickTimes.size(), 1u) << "a tick due exactly now has run";
  PlatSleep(1);
  ASSERT_EQ(TickTimes.size(), 2u);
  EXPECT_EQ(TickTimes[0], 200u);
  EXPECT_EQ(TickTimes[1], 250u);
  EXPECT_EQ(VirtualNow(), 250u);

  // A present hands the window's picture on at the present's time, then
  // moves the clock by one frame: 20 ms of ticks.
  PlatWindowClass windowClass{0, Procedure, 0, 0, PlatProgramInstance(), "capture"};
  ASSERT_TRUE(PlatRegisterClass(&windowClass));
  uintptr_t window = PlatCreateWindow(0, "capture", "t", WS_CAPTION, 0, 0, 4, 3, 0);
  ASSERT_NE(window, 0u);
  uintptr_t windowDC = PlatGetDC(window);
  uint32_t* bits = nullptr;
  uintptr_t memoryDC = TestMemoryBitmap(2, -2, &bits);
  ASSERT_NE(bits, nullptr);
  bits[0] = 0x00123456;
  VirtualSetPresentHook(RecordPresent);
  ASSERT_TRUE(PlatBitBlt(windowDC, 0, 0, 4, 3, memoryDC, 0, 0, SRCCOPY));
  ASSERT_EQ(Presents.size(), 1u);
  EXPECT_EQ(Presents[0], std::make_pair(uint64_t{250}, uint32_t{0x00123456}));
  EXPECT_EQ(VirtualNow(), 1250u);
  EXPECT_EQ(TickTimes.size(), 22u);
  PlatMessage message{};
  EXPECT_FALSE(PlatPeekMessage(&message));

  // The sound library: no position before play, then samples of 44,100 a
  // second on the clock since the play.
  PlatModule sound = PlatModuleLoad("fmod.dll");
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(PlatModuleLoad("ddraw.dll"), nullptr);
  using LoadFn = void* (*)(int, const void*, unsigned, int);
  using PlayFn = int (*)(int, void*);
  using PositionFn = unsigned (*)(int);
  using StopFn = int (*)(int);
  auto load = reinterpret_cast<LoadFn>(PlatModuleSymbol(sound, "_FSOUND_Sample_LoadMpegMemory@16"));
  auto play = reinterpret_cast<PlayFn>(PlatModuleSymbol(sound, "_FSOUND_PlaySound@8"));
  auto position = reinterpret_cast<PositionFn>(PlatModuleSymbol(sound, "_FSOUND_GetCurrentPosition@4"));
  auto stop = reinterpret_cast<StopFn>(PlatModuleSymbol(sound, "_FSOUND_StopSound@4"));
  ASSERT_TRUE(load && play && position && stop);
  EXPECT_EQ(PlatModuleSymbol(sound, "_FSOUND_Missing@4"), nullptr);
  static const uint8_t music[4] = {1, 2, 3, 4};
  void* sample = load(-1, music, 0, 4);
  ASSERT_NE(sample, nullptr);
  int channel = play(-1, sample);
  EXPECT_EQ(position(channel), 0u);
  PlatSleep(1000);
  EXPECT_EQ(position(channel), 44100u);
  PlatSleep(10);
  EXPECT_EQ(position(channel), 44541u) << "441 samples in 10 ms";
  VirtualMusic state = VirtualMusicState();
  EXPECT_TRUE(state.played);
  EXPECT_EQ(state.playedAt, 1250u);
  EXPECT_EQ(state.data, music);
  EXPECT_EQ(state.length, 4u);
  stop(channel);
  EXPECT_EQ(position(channel), 0u);

  // A killed event runs no more ticks.
  size_t ticks = TickTimes.size();
  EXPECT_TRUE(PlatTimerKillEvent(id));
  EXPECT_FALSE(PlatTimerKillEvent(id));
  PlatSleep(5);
  EXPECT_EQ(TickTimes.size(), ticks);
}

TEST(VirtualPlatform, MappedProgramFile) {
  std::string path = testing::TempDir() + "qzcapture_mapped.bin";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("abcdef", f);
  std::fclose(f);
  VirtualMapFile("QZ_Quillwave2k.exe", path.c_str());
  PlatFile file = PlatFileOpen("QZ_Quillwave2k.exe");
  ASSERT_NE(file, PlatFileInvalid);
  EXPECT_EQ(PlatFileSeekFromEnd(file, -2), 4);
  char tail[3] = {};
  EXPECT_EQ(PlatFileRead(file, tail, 2), 2u);
  EXPECT_STREQ(tail, "ef");
  PlatFileClose(file);
  std::remove(path.c_str());
}

}  // namespace
