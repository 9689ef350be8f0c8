// The stand-in sound library.
#include "tests/fake/fake_soundlib.h"

#include "base/sound_entries.h"
#include "tests/fake/fake_platform.h"

#include <cstring>

namespace {

using Handle = void*;

int InitResult = 1;
bool RefuseMusic = false;
uint32_t Position = 0;
uint32_t (*PositionHook)(int) = nullptr;
bool Playing = false;
const uint8_t* Music = nullptr;
uint32_t MusicLength = 0;
int SampleToken = 0;   // its address is the sample and song handle

void ResetSoundLib() {
  InitResult = 1;
  RefuseMusic = false;
  Position = 0;
  PositionHook = nullptr;
  Playing = false;
  Music = nullptr;
  MusicLength = 0;
}

FakeResetRegistration Registration(ResetSoundLib);

// Records a call that gives `result`.
int Answer(int result, const char* op, int64_t a = 0) {
  FakeRecord(op, a);
  return result;
}

// Records a load that gives the one handle, or null while refusing.
Handle Load(const char* op, int64_t a) {
  FakeRecord(op, a);
  return RefuseMusic ? nullptr : &SampleToken;
}

int QZ_SOUNDAPI Init(int rate, int channels, unsigned flags) {
  FakeRecord("FSOUND_Init", rate, channels, flags);
  return InitResult;
}
void QZ_SOUNDAPI Close() { FakeRecord("FSOUND_Close"); }
int QZ_SOUNDAPI PlaySong(Handle song) { return Answer(1, "FMUSIC_PlaySong"); }
int QZ_SOUNDAPI StopSong(Handle song) { return Answer(1, "FMUSIC_StopSong"); }
Handle QZ_SOUNDAPI LoadSong(const char* name) { return Load("FMUSIC_LoadSong", 0); }
Handle QZ_SOUNDAPI LoadSongMemory(const void* data, int length) { return Load("FMUSIC_LoadSongMemory", length); }
int QZ_SOUNDAPI GetOrder(Handle song) { return Answer(0, "FMUSIC_GetOrder"); }
int QZ_SOUNDAPI GetRow(Handle song) { return Answer(0, "FMUSIC_GetRow"); }
int QZ_SOUNDAPI SetHwnd(void* window) { return Answer(1, "FSOUND_SetHWND", reinterpret_cast<intptr_t>(window)); }
int QZ_SOUNDAPI SetPriority(int a, int b) { return Answer(1, "FSOUND_SetPriority"); }
Handle QZ_SOUNDAPI LoadMpeg(int index, const char* name, unsigned mode) { return Load("FSOUND_Sample_LoadMpeg", index); }
Handle QZ_SOUNDAPI LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  FakeRecord("FSOUND_Sample_LoadMpegMemory", index, mode, length);
  if (RefuseMusic) {
    return nullptr;
  }
  Music = static_cast<const uint8_t*>(data);
  MusicLength = static_cast<uint32_t>(length);
  return &SampleToken;
}
int QZ_SOUNDAPI PlaySound(int channel, Handle sample) {
  FakeRecord("FSOUND_PlaySound", channel, sample == &SampleToken ? 1 : 0);
  Playing = true;
  return FakeSoundChannel;
}
unsigned QZ_SOUNDAPI GetCurrentPosition(int channel) {
  FakeRecord("FSOUND_GetCurrentPosition", channel);
  return PositionHook != nullptr ? PositionHook(channel) : Position;
}
int QZ_SOUNDAPI StopSound(int channel) {
  FakeRecord("FSOUND_StopSound", channel);
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
bool FakeSoundLibPlaying() { return Playing; }
const uint8_t* FakeSoundLibMusic() { return Music; }
uint32_t FakeSoundLibMusicLength() { return MusicLength; }
