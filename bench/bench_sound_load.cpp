// Loading a 136-second MP3 into our sound library (build/dist/fmod.dll),
// next to a baseline of copying the same bytes once, and the time the
// library's decoder needs for the whole stream, which playback must never
// catch up with.
#include "platform/plat_module.h"
#include "tests/soundlib/mp3_sweep.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr double MusicSeconds = 136.0;
constexpr size_t MusicBufferBytes = 2200000;  // the system's music buffer

const std::vector<unsigned char>& Music() {
  static const std::vector<unsigned char> music = [] {
    std::vector<unsigned char> m = EncodeSweep(MusicSeconds);
    m.resize(m.size() < MusicBufferBytes ? MusicBufferBytes : m.size(), 0);
    return m;
  }();
  return music;
}

struct Library {
  int (*init)(int, int, unsigned);
  void (*close)();
  void* (*load)(int, const void*, unsigned, int);
  bool ok;
};

Library OpenLibrary() {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  static PlatModule module = PlatModuleLoad(QZ_DIST_DIR "/fmod.dll");
  Library lib{};
  lib.init = reinterpret_cast<int (*)(int, int, unsigned)>(PlatModuleSymbol(module, "FSOUND_Init"));
  lib.close = reinterpret_cast<void (*)()>(PlatModuleSymbol(module, "FSOUND_Close"));
  lib.load = reinterpret_cast<void* (*)(int, const void*, unsigned, int)>(
      PlatModuleSymbol(module, "FSOUND_Sample_LoadMpegMemory"));
  lib.ok = lib.init != nullptr && lib.close != nullptr && lib.load != nullptr;
  return lib;
}

// Baseline: one copy of the music buffer, the least any load has to do.
void BM_SoundLoadBaselineCopy(benchmark::State& state) {
  const std::vector<unsigned char>& music = Music();
  std::vector<unsigned char> copy(music.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), music.data(), music.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SoundLoadBaselineCopy)->Unit(benchmark::kMillisecond);

// FSOUND_Sample_LoadMpegMemory with the whole 2,200,000-byte buffer, as the
// start-up hands it over; init and close stay outside the timing.
void BM_SoundLoad136SecondMp3(benchmark::State& state) {
  Library lib = OpenLibrary();
  if (!lib.ok) {
    state.SkipWithError("fmod.dll not built");
    return;
  }
  const std::vector<unsigned char>& music = Music();
  for (auto _ : state) {
    state.PauseTiming();
    if (lib.init(44100, 32, 0) != 1) {
      state.SkipWithError("FSOUND_Init failed");
      return;
    }
    state.ResumeTiming();
    void* sample = lib.load(-1, music.data(), 0, static_cast<int>(music.size()));
    state.PauseTiming();
    lib.close();
    state.ResumeTiming();
    if (sample == nullptr) {
      state.SkipWithError("music refused");
      return;
    }
  }
}
BENCHMARK(BM_SoundLoad136SecondMp3)->Unit(benchmark::kMillisecond)->Iterations(20);

// The whole stream decoded with the library's settings: how far ahead of
// playback the background decoder runs (real_time / 136 s).
void BM_SoundDecodeWhole136SecondMp3(benchmark::State& state) {
  const std::vector<unsigned char>& music = Music();
  size_t frames = 0;
  for (auto _ : state) {
    frames = ReferenceDecode(music).size() / 2;
  }
  state.counters["stream_seconds"] = static_cast<double>(frames) / SweepRate;
}
BENCHMARK(BM_SoundDecodeWhole136SecondMp3)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
