// The sound library binding against scripted libraries on the fake platform:
// the name list and its order, every failure and its code, what SoundClose
// may call after each, both families' calls and the module position.
#include "base/sound_entries.h"
#include "base/syserror.h"
#include "sound/sound.h"
#include "platform/plat_module.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// --- a scripted sound library --------------------------------------------
struct Script {
  int initResult = 1;
  void* loadResult = reinterpret_cast<void*>(0x5A);
  int playChannel = 5;
  unsigned position = 0;
  int order = 0;
  int row = 0;
};
Script Lib;

int QZ_SOUNDAPI FakeInit(int rate, int channels, unsigned flags) {
  FakeLog(FakeSoundInitCall{rate, channels, flags});
  return Lib.initResult;
}
void QZ_SOUNDAPI FakeClose() { FakeRecord("FSOUND_Close"); }
int QZ_SOUNDAPI FakePlaySong(void* song) {
  FakeLog(FakeSongPlayCall{reinterpret_cast<intptr_t>(song)});
  return 1;
}
int QZ_SOUNDAPI FakeStopSong(void* song) {
  FakeLog(FakeSongStopCall{reinterpret_cast<intptr_t>(song)});
  return 1;
}
void* QZ_SOUNDAPI FakeLoadSong(const char* name) {
  FakeLog(FakeSongLoadCall{reinterpret_cast<intptr_t>(name)});
  return Lib.loadResult;
}
void* QZ_SOUNDAPI FakeLoadSongMemory(const void* data, int length) {
  FakeLog(FakeSongLoadMemoryCall{reinterpret_cast<intptr_t>(data), length});
  return Lib.loadResult;
}
int QZ_SOUNDAPI FakeGetOrder(void* song) {
  FakeLog(FakeSongOrderCall{reinterpret_cast<intptr_t>(song)});
  return Lib.order;
}
int QZ_SOUNDAPI FakeGetRow(void* song) {
  FakeLog(FakeSongRowCall{reinterpret_cast<intptr_t>(song)});
  return Lib.row;
}
int QZ_SOUNDAPI FakeSetHwnd(void* window) {
  FakeLog(FakeSoundSetHwndCall{reinterpret_cast<intptr_t>(window)});
  return 1;
}
int QZ_SOUNDAPI FakeSetPriority(int a, int b) {
  FakeLog(FakeSoundSetPriorityCall{a, b});
  return 1;
}
void* QZ_SOUNDAPI FakeLoadMpeg(int index, const char* name, unsigned mode) {
  FakeLog(FakeSoundLoadMpegCall{index, reinterpret_cast<intptr_t>(name), mode});
  return Lib.loadResult;
}
void* QZ_SOUNDAPI FakeLoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  FakeLog(FakeSoundLoadMpegMemoryCall{index, reinterpret_cast<intptr_t>(data), mode, length});
  return Lib.loadResult;
}
int QZ_SOUNDAPI FakePlaySound(int channel, void* sample) {
  FakeLog(FakeSoundPlayCall{channel, reinterpret_cast<intptr_t>(sample)});
  return Lib.playChannel;
}
unsigned QZ_SOUNDAPI FakeGetCurrentPosition(int channel) {
  FakeLog(FakeSoundPositionCall{channel});
  return Lib.position;
}
int QZ_SOUNDAPI FakeStopSound(int channel) {
  FakeLog(FakeSoundStopCall{channel});
  return 1;
}

// The fifteen exports in slot order, under this platform's spelling.
const FakeSymbol FullLibrary[] = {
    {"FSOUND_Init", reinterpret_cast<void*>(&FakeInit)},
    {"FSOUND_Close", reinterpret_cast<void*>(&FakeClose)},
    {"FMUSIC_PlaySong", reinterpret_cast<void*>(&FakePlaySong)},
    {"FMUSIC_StopSong", reinterpret_cast<void*>(&FakeStopSong)},
    {"FMUSIC_LoadSong", reinterpret_cast<void*>(&FakeLoadSong)},
    {"FMUSIC_LoadSongMemory", reinterpret_cast<void*>(&FakeLoadSongMemory)},
    {"FMUSIC_GetOrder", reinterpret_cast<void*>(&FakeGetOrder)},
    {"FMUSIC_GetRow", reinterpret_cast<void*>(&FakeGetRow)},
    {"FSOUND_SetHWND", reinterpret_cast<void*>(&FakeSetHwnd)},
    {"FSOUND_SetPriority", reinterpret_cast<void*>(&FakeSetPriority)},
    {"FSOUND_Sample_LoadMpeg", reinterpret_cast<void*>(&FakeLoadMpeg)},
    {"FSOUND_Sample_LoadMpegMemory", reinterpret_cast<void*>(&FakeLoadMpegMemory)},
    {"FSOUND_PlaySound", reinterpret_cast<void*>(&FakePlaySound)},
    {"FSOUND_GetCurrentPosition", reinterpret_cast<void*>(&FakeGetCurrentPosition)},
    {"FSOUND_StopSound", reinterpret_cast<void*>(&FakeStopSound)},
};
constexpr size_t NameCount = sizeof FullLibrary / sizeof FullLibrary[0];

// A library lacking export `missing` (kept per test: FakeModuleAdd keeps a pointer).
FakeSymbol Lacking[NameCount - 1];

void Reset() {
  FakeReset();
  Lib = Script{};
  SystemError = ErrorNone;
}

void AddLibrary(const FakeSymbol* symbols, size_t count) { FakeModuleAdd(PlatSoundLibraryName, symbols, count); }

void AddLackingLibrary(size_t missing) {
  size_t n = 0;
  for (size_t i = 0; i < NameCount; i++) {
    if (i != missing) {
      Lacking[n++] = FullLibrary[i];
    }
  }
  AddLibrary(Lacking, n);
}

// Binds the full library and closes it, so every slot holds a valid address
// that a later, partial binding leaves in place: a call through such a slot
// would show up in the call log as a library call.
void FillSlotsFromAnEarlierBinding(uint32_t tag) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(tag, 0));
  SoundClose();
  Reset();
}

// The names of the library calls recorded since `from`, platform calls left out.
std::vector<std::string> LibraryCalls(size_t from = 0) {
  std::vector<std::string> calls;
  for (size_t i = from; i < FakeCallCount(); i++) {
    std::string op = FakeCallAt(i).op;
    if (op.rfind("FSOUND_", 0) == 0 || op.rfind("FMUSIC_", 0) == 0 || op == "ModuleFree") {
      calls.push_back(op);
    }
  }
  return calls;
}

using Calls = std::vector<std::string>;

// --- binding ---------------------------------------------------------------

TEST(SoundOpen, LooksUpTheFifteenDecoratedNamesInOrderThenInitialises) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0x1234));
  EXPECT_EQ(SystemError, ErrorNone);

  ASSERT_EQ(FakeCount("ModuleLoad"), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(FakeFirst<FakeModuleLoadCall>().name), "fmod.dll");
  const char* expected[] = {
      "_FSOUND_Init@12",       "_FSOUND_Close@0",
      "_FMUSIC_PlaySong@4",    "_FMUSIC_StopSong@4",
      "_FMUSIC_LoadSong@4",    "_FMUSIC_LoadSongMemory@8",
      "_FMUSIC_GetOrder@4",    "_FMUSIC_GetRow@4",
      "_FSOUND_SetHWND@4",     "_FSOUND_SetPriority@8",
      "_FSOUND_Sample_LoadMpeg@12", "_FSOUND_Sample_LoadMpegMemory@16",
      "_FSOUND_PlaySound@8",   "_FSOUND_GetCurrentPosition@4",
      "_FSOUND_StopSound@4",
  };
  std::vector<const char*> asked;
  for (size_t i = FakeFind("ModuleSymbol"); i < FakeCallCount(); i = FakeFind("ModuleSymbol", i + 1)) {
    asked.push_back(reinterpret_cast<const char*>(FakeArgsAt<FakeModuleSymbolCall>(i).name));
  }
  ASSERT_EQ(asked.size(), NameCount);
  for (size_t i = 0; i < NameCount; i++) {
    EXPECT_STREQ(asked[i], expected[i]);
  }
  // The names are read straight from the list: each follows the previous
  // one's terminating zero, and one 0xFF byte follows the last.
  for (size_t i = 1; i < NameCount; i++) {
    EXPECT_EQ(asked[i], asked[i - 1] + std::strlen(asked[i - 1]) + 1);
  }
  EXPECT_EQ(static_cast<unsigned char>(asked.back()[std::strlen(asked.back()) + 1]), 0xFFu);

  EXPECT_EQ(LibraryCalls(), (Calls{"FSOUND_Init", "FSOUND_SetHWND"}));
  FakeSoundInitCall init = FakeFirst<FakeSoundInitCall>();
  EXPECT_EQ(init.rate, 44100);
  EXPECT_EQ(init.channels, 32);
  EXPECT_EQ(init.flags, 0);
  EXPECT_EQ(FakeFirst<FakeSoundSetHwndCall>().window, 0x1234);
  SoundClose();
}

TEST(SoundOpen, NoLibraryFailsWithSixAndLeavesNothingToClose) {
  Reset();
  EXPECT_FALSE(SoundOpen(SoundTypeMpeg, 0));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_EQ(FakeCount("ModuleSymbol"), 0u);

  size_t mark = FakeCallCount();
  EXPECT_FALSE(SoundLoadMemory("x", 1));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_FALSE(SoundLoadFile("music.mp3"));
  EXPECT_EQ(SystemError, ErrorSoundFile);
  SoundPlay();
  SoundStop();
  SoundClose();
  EXPECT_EQ(FakeCallCount(), mark) << "no library call and no unload without a library";
}

// Each missing name in turn, in both families: the lookup stops there with
// code 6, the library stays loaded, and SoundClose reaches only slots this
// binding filled (never the stale addresses a previous binding left).
TEST(SoundOpen, ALibraryLackingAnyOneNameIsRefusedAndCloseCallsOnlyBoundSlots) {
  constexpr size_t SlotClose = 1, SlotStopSong = 3;
  for (uint32_t tag : {SoundTypeMpeg, 0x4D4F4455u}) {
    for (size_t missing = 0; missing < NameCount; missing++) {
      SCOPED_TRACE("tag " + std::to_string(tag) + ", missing " + FullLibrary[missing].name);
      FillSlotsFromAnEarlierBinding(tag);
      AddLackingLibrary(missing);
      EXPECT_FALSE(SoundOpen(tag, 0));
      EXPECT_EQ(SystemError, ErrorSound);
      EXPECT_EQ(FakeCount("ModuleSymbol"), missing + 1);
      EXPECT_EQ(FakeCount("FSOUND_Init"), 0u);
      EXPECT_EQ(FakeModuleLoadedCount(), 1);

      size_t mark = FakeCallCount();
      SoundClose();
      Calls expected;
      if (tag != SoundTypeMpeg && missing > SlotStopSong) {
        expected.push_back("FMUSIC_StopSong");
      }
      if (missing > SlotClose) {
        expected.push_back("FSOUND_Close");
      }
      expected.push_back("ModuleFree");
      EXPECT_EQ(LibraryCalls(mark), expected);
      EXPECT_EQ(FakeModuleLoadedCount(), 0);
    }
  }
}

TEST(SoundOpen, InitialisationOtherThanExactlyOneFailsAndCloseStopsClosesFrees) {
  for (int result : {2, 0, -1, 257}) {
    SCOPED_TRACE(result);
    Reset();
    AddLibrary(FullLibrary, NameCount);
    Lib.initResult = result;
    EXPECT_FALSE(SoundOpen(SoundTypeMpeg, 0));
    EXPECT_EQ(SystemError, ErrorSound);
    EXPECT_EQ(FakeCount("FSOUND_SetHWND"), 0u);
    size_t mark = FakeCallCount();
    SoundClose();
    EXPECT_EQ(LibraryCalls(mark), (Calls{"FSOUND_StopSound", "FSOUND_Close", "ModuleFree"}));
    EXPECT_EQ(FakeModuleLoadedCount(), 0);
  }
}

TEST(SoundLoad, RefusedMusicGivesSixFromMemoryAndEightFromAFile) {
  for (uint32_t tag : {SoundTypeMpeg, 0u}) {
    SCOPED_TRACE(tag);
    Reset();
    AddLibrary(FullLibrary, NameCount);
    ASSERT_TRUE(SoundOpen(tag, 0));
    Lib.loadResult = nullptr;
    EXPECT_FALSE(SoundLoadMemory("abc", 3));
    EXPECT_EQ(SystemError, ErrorSound);
    EXPECT_FALSE(SoundLoadFile("music.mp3"));
    EXPECT_EQ(SystemError, ErrorSoundFile);
    size_t mark = FakeCallCount();
    SoundClose();
    const char* stop = tag == SoundTypeMpeg ? "FSOUND_StopSound" : "FMUSIC_StopSong";
    EXPECT_EQ(LibraryCalls(mark), (Calls{stop, "FSOUND_Close", "ModuleFree"}));
  }
}

// --- a normal run, as the start-up drives it ----------------------------

TEST(SoundSampleFamily, RunPlaysOnAFreeChannelAsksThatChannelAndStopsItTwice) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 7));
  static unsigned char music[64];
  ASSERT_TRUE(SoundLoadMemory(music, sizeof music));
  FakeSoundLoadMpegMemoryCall load = FakeFirst<FakeSoundLoadMpegMemoryCall>();
  EXPECT_EQ(load.index, -1);
  EXPECT_EQ(load.data, reinterpret_cast<intptr_t>(music));
  EXPECT_EQ(load.length, 64);
  EXPECT_EQ(load.mode, 0);

  // Before play the position is asked about channel 0.
  Lib.position = 0;
  EXPECT_EQ(SoundPosition(), 0u);
  EXPECT_EQ(FakeFirst<FakeSoundPositionCall>().channel, 0);

  SoundPlay();
  FakeSoundPlayCall play = FakeFirst<FakeSoundPlayCall>();
  EXPECT_EQ(play.channel, -1);
  EXPECT_EQ(play.sample, 0x5A);

  Lib.position = 0xFEDCBA98u;
  size_t mark = FakeCallCount();
  EXPECT_EQ(SoundPosition(), 0xFEDCBA98u);
  EXPECT_EQ(LibraryCalls(mark), (Calls{"FSOUND_GetCurrentPosition"}));
  EXPECT_EQ(FakeFirst<FakeSoundPositionCall>(mark).channel, 5);

  mark = FakeCallCount();
  SoundStop();
  SoundClose();
  EXPECT_EQ(LibraryCalls(mark), (Calls{"FSOUND_StopSound", "FSOUND_StopSound", "FSOUND_Close", "ModuleFree"}));
  EXPECT_EQ(FakeFirst<FakeSoundStopCall>(mark).channel, 5);
  EXPECT_EQ(FakeModuleLoadedCount(), 0);

  // Closed: nothing of the freed library is reached again.
  mark = FakeCallCount();
  SoundStop();
  SoundClose();
  EXPECT_EQ(FakeCallCount(), mark);
}

TEST(SoundSampleFamily, FileLoadPassesAnySlotTheNameAndNoFlags) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  static const char name[] = "music.mp3";
  ASSERT_TRUE(SoundLoadFile(name));
  FakeSoundLoadMpegCall load = FakeFirst<FakeSoundLoadMpegCall>();
  EXPECT_EQ(load.index, -1);
  EXPECT_EQ(load.name, reinterpret_cast<intptr_t>(name));
  EXPECT_EQ(load.mode, 0);
  SoundClose();
}

// --- module family -------------------------------------------------------

TEST(SoundModuleFamily, CallsTheSongEntriesWithTheLoadedSong) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(0x4D4F4400, 0));
  static unsigned char song[32];
  Lib.loadResult = reinterpret_cast<void*>(0x77);
  ASSERT_TRUE(SoundLoadMemory(song, sizeof song));
  FakeSongLoadMemoryCall load = FakeFirst<FakeSongLoadMemoryCall>();
  EXPECT_EQ(load.data, reinterpret_cast<intptr_t>(song));
  EXPECT_EQ(load.length, 32);

  size_t mark = FakeCallCount();
  SoundPlay();
  SoundPosition();
  SoundStop();
  SoundClose();
  EXPECT_EQ(LibraryCalls(mark), (Calls{"FMUSIC_PlaySong", "FMUSIC_GetOrder", "FMUSIC_GetRow", "FMUSIC_StopSong",
                                       "FMUSIC_StopSong", "FSOUND_Close", "ModuleFree"}));
  // Each of them is given the song.
  size_t at = FakeFind("FMUSIC_PlaySong", mark);
  EXPECT_EQ(FakeArgsAt<FakeSongPlayCall>(at).song, 0x77);
  EXPECT_EQ(FakeArgsAt<FakeSongOrderCall>(at + 1).song, 0x77);
  EXPECT_EQ(FakeArgsAt<FakeSongRowCall>(at + 2).song, 0x77);
  EXPECT_EQ(FakeArgsAt<FakeSongStopCall>(at + 3).song, 0x77);
  EXPECT_EQ(FakeArgsAt<FakeSongStopCall>(at + 4).song, 0x77);
}

TEST(SoundModuleFamily, PositionPutsTheOrderIntoBitsEightToFifteenOfTheRow) {
  Reset();
  AddLibrary(FullLibrary, NameCount);
  ASSERT_TRUE(SoundOpen(0, 0));
  ASSERT_TRUE(SoundLoadFile("song.xm"));
  struct Case {
    int order;
    int row;
    uint32_t position;
  };
  const Case cases[] = {
      {3, 17, 785},          // 0x311
      {0, 0, 0},
      {1, 0, 256},
      {255, 63, 0xFF3F},
      {256, 5, 5},           // the order counts modulo 256
      {2, 0x1234, 0x0234},   // row bits 8..15 give way to the order
      {1, 0x10005, 0x10105}, // row bits above 15 stay
  };
  for (const Case& c : cases) {
    Lib.order = c.order;
    Lib.row = c.row;
    EXPECT_EQ(SoundPosition(), c.position) << "order " << c.order << " row " << c.row;
  }
  SoundClose();
}

}  // namespace
