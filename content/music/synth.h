// A small deterministic software synthesiser: a few voices built from
// band-limited oscillators, filters and envelopes, rendered note by note
// into stereo buses, then reverb, echo and a master stage. Everything runs
// in one thread in a fixed order, so one binary always makes the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace music {

constexpr int SampleRate = 44100;

struct Stereo {
  std::vector<double> left, right;
  explicit Stereo(size_t n) : left(n, 0.0), right(n, 0.0) {}
  size_t Size() const { return left.size(); }
  void Add(size_t i, double l, double r) {
    if (i < left.size()) {
      left[i] += l;
      right[i] += r;
    }
  }
};

// Where a voice's output goes: straight to the mix, and how much is sent to
// the reverb and to the echo.
struct Buses {
  Stereo dry, reverb, echo;
  explicit Buses(size_t n) : dry(n), reverb(n), echo(n) {}
};

struct Send {
  double pan = 0;     // -1 left .. +1 right
  double reverb = 0;
  double echo = 0;
};

double NoteHz(double midi);

// Deterministic noise: xorshift, seeded per use.
struct Noise {
  uint32_t state;
  explicit Noise(uint32_t seed) : state(seed * 2654435761u + 1) {}
  double Next();  // -1..1
};

// Voices. `start` and `length` are in samples; velocity 0..1.
void Pad(Buses& b, int64_t start, int64_t length, double midi, double velocity, double brightness, Send send);
void Bass(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send);
void Pluck(Buses& b, int64_t start, int64_t length, double midi, double velocity, double brightness, Send send);
void Lead(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send);
void Bell(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send);
void Kick(Buses& b, int64_t start, double velocity);
void Boom(Buses& b, int64_t start, double velocity);
void Snare(Buses& b, int64_t start, double velocity, Send send);
void Clap(Buses& b, int64_t start, double velocity, Send send);
void Hat(Buses& b, int64_t start, double velocity, bool open, Send send);
void Crash(Buses& b, int64_t start, double velocity, Send send);
// Filtered noise rising over `length` samples, cut off at its end.
void Swell(Buses& b, int64_t start, int64_t length, double velocity, Send send);

// The effect returns and the master stage: reverb and echo are mixed into
// the dry bus, which is then compressed gently and scaled to `peak`.
// `echo_delay` is in samples.
void Mixdown(Buses& b, int64_t echo_delay, double peak);

// 16-bit interleaved samples of a mixed stereo buffer.
std::vector<int16_t> ToPcm(const Stereo& s, bool left);

}  // namespace music
