// The per-frame drawing against a plain copy of one frame (BM_CopyFrame, the
// baseline): ShowPicture and ShowScroller should stay within 3x of it.
#include "demo/draw.h"
#include "demo/fade.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr size_t FrameBytes = FramePixels * sizeof(uint32_t);  // 307,200

uint32_t CopySource[FramePixels];
uint32_t CopyDestination[FramePixels];

// Deterministic content that uses every palette entry and no runs.
void FillContent() {
  static bool filled = false;
  if (filled) {
    return;
  }
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (uint32_t i = 0; i < PaletteEntries; ++i) {
    Pictures.openingPalette[i] = next() & 0xFFFFFF;
    Pictures.widePalette[i] = next() & 0xFFFFFF;
  }
  for (uint8_t& b : Pictures.openingPicture) {
    b = static_cast<uint8_t>(next());
  }
  for (uint8_t& b : Pictures.widePicture) {
    b = static_cast<uint8_t>(next());
  }
  for (uint32_t& p : CopySource) {
    p = next();
  }
  BuildFadeTable();
  filled = true;
}

void BM_CopyFrame(benchmark::State& state) {
  FillContent();
  uint32_t* destination = CopyDestination;
  const uint32_t* source = CopySource;
  for (auto _ : state) {
    // Escaping both pointers keeps the copy from being folded away.
    benchmark::DoNotOptimize(destination);
    benchmark::DoNotOptimize(source);
    std::memcpy(destination, source, FrameBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FrameBytes);
}
BENCHMARK(BM_CopyFrame);

void BM_ShowPicture(benchmark::State& state) {
  FillContent();
  FadeLevel.store(100, std::memory_order_relaxed);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ShowPicture(Pictures.openingPalette, Pictures.openingPicture));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FrameBytes);
}
BENCHMARK(BM_ShowPicture);

// The window moves every frame, as it does while the scroller runs.
void BM_ShowScroller(benchmark::State& state) {
  FillContent();
  FadeLevel.store(100, std::memory_order_relaxed);
  FlickerOffset.store(7, std::memory_order_relaxed);
  uint32_t position = 0;
  for (auto _ : state) {
    ScrollPosition.store(position, std::memory_order_relaxed);
    position = position == ScrollEnd ? 0 : position + 1;
    benchmark::DoNotOptimize(ShowScroller());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FrameBytes);
}
BENCHMARK(BM_ShowScroller);

void BM_FadePass(benchmark::State& state) {
  FillContent();
  for (auto _ : state) {
    FadePass(FrameBuffer, FrameBuffer, FramePixels, 100);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FrameBytes);
}
BENCHMARK(BM_FadePass);

}  // namespace
