// Watching the system's music position against the wall clock, for the
// tests that play through a real sound library (Linux and Windows builds).
#pragma once
#include "sound/sound.h"

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// What the sound library's music buffer holds behind the stream: zeros.
constexpr size_t TestMusicTrailingZeros = 18254;
// Any tag but 'MPEG' selects the module family.
constexpr uint32_t TestModuleTag = 0x4D4F4420;

struct Reading {
  double seconds;
  uint32_t position;
};

// Position samples every 2 ms for `seconds`, or until `until` is reached.
inline std::vector<Reading> WatchPosition(double seconds, uint32_t until = UINT32_MAX) {
  using Clock = std::chrono::steady_clock;
  std::vector<Reading> readings;
  Clock::time_point start = Clock::now();
  for (;;) {
    double t = std::chrono::duration<double>(Clock::now() - start).count();
    uint32_t p = SoundPosition();
    readings.push_back(Reading{t, p});
    if (t >= seconds || p >= until) {
      return readings;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Least-squares slope of position over time, from the first reading that
// moved (the start of playback waits for the device's first buffer).
inline double PositionRate(const std::vector<Reading>& readings) {
  size_t from = 0;
  while (from < readings.size() && readings[from].position == 0) {
    from++;
  }
  double n = 0, st = 0, sp = 0, stt = 0, stp = 0;
  for (size_t i = from; i < readings.size(); i++) {
    n += 1;
    st += readings[i].seconds;
    sp += readings[i].position;
    stt += readings[i].seconds * readings[i].seconds;
    stp += readings[i].seconds * readings[i].position;
  }
  return (n * stp - st * sp) / (n * stt - st * st);
}

inline bool NeverGoesBack(const std::vector<Reading>& readings) {
  for (size_t i = 1; i < readings.size(); i++) {
    if (readings[i].position < readings[i - 1].position) {
      return false;
    }
  }
  return true;
}
