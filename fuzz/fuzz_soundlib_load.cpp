// Fuzzes the sound library's loads from memory on the Linux core: the input
// is handed to FSOUND_Sample_LoadMpegMemory (the MPEG family, decoded by
// libmpg123 into the core's chunks) or, built with QZ_FUZZ_MODULES, to
// FMUSIC_LoadSongMemory (libxmp). What loads is played for one short mixed
// block and the library closed again, so every input starts afresh.
#include "soundlib/core.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int MixRate = 44100;
constexpr int MixedFrames = 256;   // mixed after a successful load: the first decoded frames

int16_t Out[MixedFrames * SoundOutputChannels];

}  // namespace

// A device that never mixes and is never lost: the fuzzer mixes by hand,
// so the core's silent output must not run beside it.
bool SoundOutputOpen(int) { return true; }
void SoundOutputClose() {}
const char* SoundOutputError() { return ""; }
bool SoundOutputLost() { return false; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (FSOUND_Init(MixRate, 32, 0) != 1) {
    std::abort();
  }
  // libFuzzer's buffer is exactly `size` bytes: a read past it is caught.
  const void* bytes = size > 0 ? data : nullptr;
  bool loaded = false;
#ifdef QZ_FUZZ_MODULES
  void* song = FMUSIC_LoadSongMemory(bytes, static_cast<int>(size));
  if (song != nullptr) {
    loaded = FMUSIC_PlaySong(song) == 1;
  }
#else
  void* sample = FSOUND_Sample_LoadMpegMemory(-1, bytes, 0, static_cast<int>(size));
  if (sample != nullptr) {
    // A sample that loaded decoded audio: it must play.
    if (FSOUND_PlaySound(-1, sample) < 0) {
      std::abort();
    }
    loaded = true;
  }
#endif
  if (loaded) {
    SoundMix(Out, MixedFrames);
  }
  FSOUND_Close();
  return 0;
}
