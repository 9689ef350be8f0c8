// The stand-in sound library.
#include "tests/fake/fake_soundlib.h"

#include "base/sound_entries.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"

#include <cstring>

namespace {

using Handle = void*;

int InitResult = 1;
bool RefuseMusic = false;
uint32_t Position = 0;
uint32_t (*PositionHook)(int) = nullptr;
void (*StopHook)() = nullptr;
bool Playing = false;
const uint8_t* Music = nullptr;
uint32_t MusicLength = 0;
int SampleToken = 0;   // its address is the sample and song handle

void ResetSoundLib() {
  InitResult = 1;
  RefuseMusic = false;
  Position = 0;
  PositionHook = nullptr;
  StopHook = nullptr;
  Playing = false;
  Music = nullptr;
  MusicLength = 0;
}

FakeResetRegistration Registration(ResetSoundLib);

int64_t Address(const void* p) { return static_cast<int64_t>(reinterpret_cast<intptr_t>(p)); }

// Records a call that gives `result`.
template <typename Call>
int Answer(int result, const Call& call) {
  FakeLog(call);
  return result;
}

// Records a load that gives the one handle, or null while refusing.
template <typename Call>
Handle Load(const Call& call) {
  FakeLog(call);
  return RefuseMusic ? nullptr : &SampleToken;
}

int QZ_SOUNDAPI Init(int rate, int channels, unsigned flags) {
  FakeLog(FakeSoundInitCall{rate, channels, flags});
  return InitResult;
}
void QZ_SOUNDAPI Close() { FakeRecord("FSOUND_Close"); }
int QZ_SOUNDAPI PlaySong(Handle song) { return Answer(1, FakeSongPlayCall{Address(song)}); }
int QZ_SOUNDAPI StopSong(Handle song) { return Answer(1, FakeSongStopCall{Address(song)}); }
Handle QZ_SOUNDAPI LoadSong(const char* name) { return Load(FakeSongLoadCall{Address(name)}); }
Handle QZ_SOUNDAPI LoadSongMemory(const void* data, int length) { return Load(FakeSongLoadMemoryCall{Address(data), length}); }
int QZ_SOUNDAPI GetOrder(Handle song) { return Answer(0, FakeSongOrderCall{Address(song)}); }
int QZ_SOUNDAPI GetRow(Handle song) { return Answer(0, FakeSongRowCall{Address(song)}); }
int QZ_SOUNDAPI SetHwnd(void* window) { return Answer(1, FakeSoundSetHwndCall{Address(window)}); }
int QZ_SOUNDAPI SetPriority(int channel, int priority) { return Answer(1, FakeSoundSetPriorityCall{channel, priority}); }
Handle QZ_SOUNDAPI LoadMpeg(int index, const char* name, unsigned mode) {
  return Load(FakeSoundLoadMpegCall{index, Address(name), mode});
}
Handle QZ_SOUNDAPI LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  FakeLog(FakeSoundLoadMpegMemoryCall{index, Address(data), mode, length});
  if (RefuseMusic) {
    return nullptr;
  }
  Music = static_cast<const uint8_t*>(data);
  MusicLength = static_cast<uint32_t>(length);
  return &SampleToken;
}
int QZ_SOUNDAPI PlaySound(int channel, Handle sample) {
  FakeLog(FakeSoundPlayCall{channel, Address(sample)});
  Playing = true;
  return FakeSoundChannel;
}
unsigned QZ_SOUNDAPI GetCurrentPosition(int channel) {
  FakeLog(FakeSoundPositionCall{channel});
  return PositionHook != nullptr ? PositionHook(channel) : Position;
}
int QZ_SOUNDAPI StopSound(int channel) {
  if (StopHook != nullptr) {
    StopHook();
  }
  FakeLog(FakeSoundStopCall{channel});
  if (channel == FakeSoundChannel) {
    Playing = false;
  }
  return 1;
}

#define QZ_FAKE_SOUND_SYMBOL(slot, name, bytes, result, parameters) \
  {#name, reinterpret_cast<void*>(static_cast<result(QZ_SOUNDAPI*) parameters>(slot))},
const FakeSymbol AllSymbols[] = {QZ_SOUND_ENTRIES(QZ_FAKE_SOUND_SYMBOL)};
#undef QZ_FAKE_SOUND_SYMBOL
constexpr size_t SymbolCount = sizeof AllSymbols / sizeof AllSymbols[0];

// The table handed to the library role; it must outlive the test.
FakeSymbol Installed[SymbolCount];

}  // namespace

void FakeSoundLibInstall(const char* omit) {
  size_t n = 0;
  for (const FakeSymbol& s : AllSymbols) {
    if (omit == nullptr || std::strcmp(omit, s.name) != 0) {
      Installed[n++] = s;
    }
  }
  FakeModuleAdd("fmod.dll", Installed, n);
}

void FakeSoundLibSetInitResult(int result) { InitResult = result; }
void FakeSoundLibRefuseMusic(bool refuse) { RefuseMusic = refuse; }
void FakeSoundLibSetPosition(uint32_t position) { Position = position; }
void FakeSoundLibSetPositionHook(uint32_t (*hook)(int)) { PositionHook = hook; }
void FakeSoundLibSetStopHook(void (*hook)()) { StopHook = hook; }
bool FakeSoundLibPlaying() { return Playing; }
const uint8_t* FakeSoundLibMusic() { return Music; }
uint32_t FakeSoundLibMusicLength() { return MusicLength; }
