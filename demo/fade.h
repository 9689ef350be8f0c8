// Brightness: the fade table, the shared fade level and the fade pass.
#pragma once
#include <atomic>
#include <cstdint>

constexpr uint32_t FadeTableBytes = 65536;
constexpr int32_t FadeLevelNormal = 128;   // colours as they are
constexpr int32_t FadeLevelBlack = 0;

// Entry (c, L) at c * 256 + L: colour value c at fade level L.
extern uint8_t FadeTable[FadeTableBytes];

// Current fade level; written by the fade steppers on the tick thread, read
// once per frame on the main thread.
extern std::atomic<int32_t> FadeLevel;

void BuildFadeTable();

// Sends `count` pixels through the table at the low 8 bits of `level`.
// Source and destination may be the same array.
void FadePass(const uint32_t* source, uint32_t* destination, uint32_t count, int32_t level);

// Tick routines: one level towards 128 / towards 0, stopping there.
void FadeInStep();
void FadeOutStep();
