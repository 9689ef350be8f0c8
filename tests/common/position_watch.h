// Watching the system's music position against the wall clock, for the
// tests that play through a real sound library (Linux and Windows builds),
// and the bytes they feed it that must be refused.
#pragma once
#include "sound/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
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
    // The time after the position: a reading is never ahead of its time.
    uint32_t p = SoundPosition();
    double t = std::chrono::duration<double>(Clock::now() - start).count();
    readings.push_back(Reading{t, p});
    if (t >= seconds || p >= until) {
      return readings;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The rate the position keeps, from the readings least held back. An
// output mixes a buffer at each deadline; on a loaded machine it wakes late
// and then catches up, which a fit through all readings takes for speed. So
// in the first and the last quarter after the position moved, the reading
// furthest ahead of the nominal rate is one just after an on-time mix, and
// the slope between those two is the rate without the delays.
inline double PositionRate(const std::vector<Reading>& readings, double nominal = 44100.0) {
  size_t from = 0;
  while (from < readings.size() && readings[from].position == 0) {
    from++;
  }
  size_t quarter = (readings.size() - from) / 4;
  if (quarter == 0) {
    return 0;
  }
  auto furthestAhead = [&](size_t begin, size_t end) {
    size_t pick = begin;
    for (size_t i = begin; i < end; i++) {
      if (readings[i].position - nominal * readings[i].seconds >
          readings[pick].position - nominal * readings[pick].seconds) {
        pick = i;
      }
    }
    return readings[pick];
  };
  Reading early = furthestAhead(from, from + quarter);
  Reading late = furthestAhead(readings.size() - quarter, readings.size());
  return (static_cast<double>(late.position) - early.position) / (late.seconds - early.seconds);
}

inline bool NeverGoesBack(const std::vector<Reading>& readings) {
  for (size_t i = 1; i < readings.size(); i++) {
    if (readings[i].position < readings[i - 1].position) {
      return false;
    }
  }
  return true;
}

// How far the rate the position keeps is off `nominal`, as a fraction;
// printed, with what it went `through`, for the log.
inline double PositionRateError(const std::vector<Reading>& readings, const char* through,
                                double nominal = 44100.0) {
  double rate = PositionRate(readings, nominal);
  double error = rate / nominal - 1.0;
  std::printf("position rate through %s: %.1f per second (%+.2f%%)\n", through, rate, 100.0 * error);
  return error;
}

// Stops the music that plays and expects the position to hold, through a
// second stop too. Returns where it stopped.
inline uint32_t ExpectStopHoldsThePosition() {
  SoundStop();
  uint32_t stopped = SoundPosition();
  EXPECT_GT(stopped, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SoundPosition(), stopped);
  SoundStop();
  EXPECT_EQ(SoundPosition(), stopped);
  return stopped;
}

// 100,000 bytes of noise, the same every time: no MPEG stream in them.
inline std::vector<unsigned char> TestNoise() {
  std::vector<unsigned char> noise(100000);
  uint32_t state = 12345;
  for (unsigned char& b : noise) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(state >> 24);
  }
  return noise;
}
