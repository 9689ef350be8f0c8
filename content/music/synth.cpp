#include "content/music/synth.h"

#include <algorithm>
#include <cmath>

namespace music {
namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Dt = 1.0 / SampleRate;

// PolyBLEP correction for a phase step at 0 (t and dt in cycles).
double Blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

double Saw(double phase, double dt) { return 2 * phase - 1 - Blep(phase, dt); }

double Pulse(double phase, double dt, double width) {
  double v = phase < width ? 1 : -1;
  v += Blep(phase, dt);
  double shifted = phase - width;
  if (shifted < 0) {
    shifted += 1;
  }
  v -= Blep(shifted, dt);
  return v;
}

// Topology-preserving state-variable filter (low-pass and high-pass outputs).
struct Svf {
  double ic1 = 0, ic2 = 0;
  double low = 0, high = 0, band = 0;
  double last_cutoff = -1, last_resonance = -1;
  double k = 0, a1 = 0, a2 = 0, a3 = 0;
  void Run(double x, double cutoff, double resonance) {
    // The coefficients only change when the cutoff moves by a few cents.
    if (std::fabs(cutoff - last_cutoff) > last_cutoff * 0.002 || resonance != last_resonance) {
      last_cutoff = cutoff;
      last_resonance = resonance;
      double g = std::tan(Pi * std::clamp(cutoff, 20.0, SampleRate * 0.45) * Dt);
      k = 2 - 2 * resonance;
      a1 = 1 / (1 + g * (g + k));
      a2 = g * a1;
      a3 = g * a2;
    }
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
  }
};

// Attack, decay to sustain, release after `length`; value at sample i.
double Adsr(int64_t i, int64_t length, double attack, double decay, double sustain, double release) {
  double t = double(i) * Dt;
  double held = double(length) * Dt;
  auto level = [&](double at) {
    if (at < attack) {
      return at / attack;
    }
    return sustain + (1 - sustain) * std::exp(-(at - attack) / decay);
  };
  if (t < held) {
    return level(t);
  }
  return level(held) * std::exp(-(t - held) / release);
}

// Samples a voice needs after its note ends for the release to die away.
int64_t Tail(double release) { return int64_t(release * 7 * SampleRate); }

// One sample of a drum's body at t seconds: a sine swept down from
// base + sweep Hz towards base Hz (the sweep falling by e every `fall`
// seconds) under an envelope that rises over `attack` seconds and decays by
// e every `decay` seconds. `phase` carries the sine from sample to sample.
double DrumBody(double& phase, double t, double base, double sweep, double fall, double attack, double decay) {
  phase += (base + sweep * std::exp(-t / fall)) * Dt;
  double env = std::exp(-t / decay) * std::min(1.0, t / attack);
  return std::sin(2 * Pi * phase) * env;
}

void Place(Buses& b, size_t i, double l, double r, const Send& s) {
  double pl = std::cos((s.pan + 1) * Pi / 4);
  double pr = std::sin((s.pan + 1) * Pi / 4);
  double left = l * pl * 1.41421356;
  double right = r * pr * 1.41421356;
  b.dry.Add(i, left, right);
  if (s.reverb > 0) {
    b.reverb.Add(i, left * s.reverb, right * s.reverb);
  }
  if (s.echo > 0) {
    b.echo.Add(i, left * s.echo, right * s.echo);
  }
}

}  // namespace

double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12); }

double Noise::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return double(state) / 2147483648.0 - 1;
}

void Pad(Buses& b, int64_t start, int64_t length, double midi, double velocity, double brightness, Send send) {
  const double detune[2][3] = {{-0.11, 0.02, 0.13}, {-0.07, -0.01, 0.09}};
  double hz = NoteHz(midi);
  double phase[2][3] = {{0.1, 0.47, 0.83}, {0.29, 0.61, 0.05}};
  double step[2][3];
  for (int ch = 0; ch < 2; ++ch) {
    for (int v = 0; v < 3; ++v) {
      step[ch][v] = hz * std::pow(2.0, detune[ch][v] / 12) * Dt;
    }
  }
  Svf filter[2];
  int64_t total = length + Tail(0.9);
  for (int64_t i = 0; i < total; ++i) {
    double env = Adsr(i, length, 0.45, 1.5, 0.8, 0.9) * velocity;
    double lfo = 0.5 + 0.5 * std::sin(2 * Pi * 0.23 * double(i) * Dt + midi);
    double out[2];
    for (int ch = 0; ch < 2; ++ch) {
      double sum = 0;
      for (int v = 0; v < 3; ++v) {
        sum += Saw(phase[ch][v], step[ch][v]);
        phase[ch][v] += step[ch][v];
        phase[ch][v] -= std::floor(phase[ch][v]);
      }
      filter[ch].Run(sum / 3, 400 + brightness * (1400 + 600 * lfo), 0.2);
      out[ch] = filter[ch].low * env;
    }
    Place(b, size_t(start + i), out[0] * 0.22, out[1] * 0.22, send);
  }
}

void Bass(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send) {
  double hz = NoteHz(midi);
  double phase = 0;
  double sub = 0;
  Svf filter;
  int64_t total = length + Tail(0.05);
  for (int64_t i = 0; i < total; ++i) {
    double env = Adsr(i, length, 0.004, 0.25, 0.55, 0.05) * velocity;
    double t = double(i) * Dt;
    double cutoff = 180 + 1100 * std::exp(-t / 0.09) * velocity;
    double x = Saw(phase, hz * Dt) * 0.6 + std::sin(2 * Pi * sub) * 0.9;
    phase += hz * Dt;
    phase -= std::floor(phase);
    sub += hz * Dt;
    sub -= std::floor(sub);
    filter.Run(x, cutoff, 0.35);
    double v = filter.low * env * 0.5;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Pluck(Buses& b, int64_t start, int64_t length, double midi, double velocity, double brightness, Send send) {
  double hz = NoteHz(midi);
  double phase = 0.25;
  Svf filter;
  int64_t total = length + Tail(0.08);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    double env = Adsr(i, length, 0.002, 0.12, 0.0, 0.08) * velocity;
    double x = Pulse(phase, hz * Dt, 0.3);
    phase += hz * Dt;
    phase -= std::floor(phase);
    filter.Run(x, 300 + brightness * 4200 * std::exp(-t / 0.07), 0.45);
    double v = filter.low * env * 0.22;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Lead(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send) {
  double hz = NoteHz(midi);
  double p1 = 0, p2 = 0.5, p3 = 0.2;
  Svf filter[2];
  int64_t total = length + Tail(0.18);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    // Vibrato grows in after the note has spoken.
    double vib = 1 + 0.004 * std::sin(2 * Pi * 5.2 * t) * std::min(1.0, t / 0.3);
    double f = hz * vib;
    double env = Adsr(i, length, 0.012, 0.4, 0.75, 0.18) * velocity;
    double a = Saw(p1, f * 1.003 * Dt);
    double c = Saw(p2, f * 0.997 * Dt);
    double sq = Pulse(p3, f * 0.5 * Dt, 0.5);
    p1 += f * 1.003 * Dt;
    p2 += f * 0.997 * Dt;
    p3 += f * 0.5 * Dt;
    p1 -= std::floor(p1);
    p2 -= std::floor(p2);
    p3 -= std::floor(p3);
    double cutoff = 1600 + 2600 * std::exp(-t / 0.25);
    filter[0].Run(a * 0.6 + sq * 0.25, cutoff, 0.25);
    filter[1].Run(c * 0.6 + sq * 0.25, cutoff, 0.25);
    Place(b, size_t(start + i), filter[0].low * env * 0.3, filter[1].low * env * 0.3, send);
  }
}

void Bell(Buses& b, int64_t start, int64_t length, double midi, double velocity, Send send) {
  double hz = NoteHz(midi);
  int64_t total = length + Tail(0.6);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    double env = Adsr(i, length, 0.003, 0.9, 0.25, 0.6) * velocity;
    double index = 1.8 * std::exp(-t / 0.35) + 0.3;
    // Two-operator FM: a tine-like body plus a brief bright strike.
    double mod = std::sin(2 * Pi * hz * 3.5 * t) * index;
    double body = std::sin(2 * Pi * hz * t + mod);
    double strike = std::sin(2 * Pi * hz * 7.1 * t) * std::exp(-t / 0.03) * 0.3;
    double v = (body + strike) * env * 0.25;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Kick(Buses& b, int64_t start, double velocity) {
  double phase = 0;
  int64_t total = int64_t(0.45 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    double click = std::exp(-t / 0.003) * 0.3;
    double v = (DrumBody(phase, t, 46, 110, 0.035, 0.001, 0.16) + click * std::sin(2 * Pi * 1800 * t)) * velocity * 0.8;
    Place(b, size_t(start + i), v, v, Send{});
  }
}

void Boom(Buses& b, int64_t start, double velocity) {
  double phase = 0;
  int64_t total = int64_t(2.2 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double v = DrumBody(phase, double(i) * Dt, 34, 80, 0.08, 0.002, 0.7) * velocity * 0.9;
    Place(b, size_t(start + i), v, v, Send{0, 0.2, 0});
  }
}

void Snare(Buses& b, int64_t start, double velocity, Send send) {
  Noise noise{uint32_t(start)};
  Svf filter;
  int64_t total = int64_t(0.25 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    filter.Run(noise.Next(), 4500, 0.1);
    double n = (filter.low - filter.high * 0.3) * std::exp(-t / 0.07);
    double tone = std::sin(2 * Pi * (185 + 40 * std::exp(-t / 0.01)) * t) * std::exp(-t / 0.04);
    double v = (n * 0.6 + tone * 0.5) * velocity * 0.45;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Clap(Buses& b, int64_t start, double velocity, Send send) {
  Noise noise(uint32_t(start) ^ 0x5A5A);
  Svf filter;
  int64_t total = int64_t(0.3 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    filter.Run(noise.Next(), 1400, 0.55);
    // Three quick hands, then the room.
    double env = 0;
    for (int k = 0; k < 3; ++k) {
      double tk = t - k * 0.011;
      if (tk >= 0) {
        env = std::max(env, std::exp(-tk / 0.006));
      }
    }
    env = std::max(env, 0.5 * std::exp(-std::max(0.0, t - 0.022) / 0.09) * (t > 0.022 ? 1 : 0));
    double v = filter.band * env * velocity * 0.9;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Hat(Buses& b, int64_t start, double velocity, bool open, Send send) {
  Noise noise(uint32_t(start) ^ 0xC0FFEE);
  Svf filter;
  double decay = open ? 0.16 : 0.03;
  int64_t total = int64_t(decay * 7 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    filter.Run(noise.Next(), 7500, 0.2);
    double v = filter.high * std::exp(-t / decay) * velocity * 0.22;
    Place(b, size_t(start + i), v, v, send);
  }
}

void Crash(Buses& b, int64_t start, double velocity, Send send) {
  Noise left(uint32_t(start) ^ 0xABCD);
  Noise right(uint32_t(start) ^ 0x1234);
  Svf fl, fr;
  const double metal[] = {421.0, 587.3, 743.9, 1013.2, 1327.7};
  int64_t total = int64_t(2.6 * SampleRate);
  for (int64_t i = 0; i < total; ++i) {
    double t = double(i) * Dt;
    double ring = 0;
    for (double m : metal) {
      ring += std::sin(2 * Pi * m * 2.3 * t) > 0 ? 0.2 : -0.2;
    }
    fl.Run(left.Next() + ring * 0.3, 5200, 0.1);
    fr.Run(right.Next() + ring * 0.3, 5600, 0.1);
    double env = std::exp(-t / 0.55) * std::min(1.0, t / 0.002) * velocity * 0.3;
    Place(b, size_t(start + i), fl.high * env, fr.high * env, send);
  }
}

void Swell(Buses& b, int64_t start, int64_t length, double velocity, Send send) {
  Noise left(uint32_t(start) ^ 0x7777);
  Noise right(uint32_t(start) ^ 0x9999);
  Svf fl, fr;
  for (int64_t i = 0; i < length; ++i) {
    double k = double(i) / double(length);
    double env = k * k * velocity * 0.25;
    double cutoff = 300 + 9000 * k * k;
    fl.Run(left.Next(), cutoff, 0.5);
    fr.Run(right.Next(), cutoff, 0.5);
    Place(b, size_t(start + i), fl.band * env, fr.band * env, send);
  }
}

namespace {

// Freeverb-style room: parallel damped combs, then series all-passes, with
// slightly different tunings per channel for width.
struct Comb {
  std::vector<double> line;
  size_t pos = 0;
  double store = 0;
  double Run(double x, double feedback, double damp) {
    double y = line[pos];
    store = y * (1 - damp) + store * damp;
    line[pos] = x + store * feedback;
    pos = (pos + 1) % line.size();
    return y;
  }
};

struct Allpass {
  std::vector<double> line;
  size_t pos = 0;
  double Run(double x) {
    double y = line[pos];
    line[pos] = x + y * 0.5;
    pos = (pos + 1) % line.size();
    return y - x;
  }
};

void Reverb(const std::vector<double>& in, std::vector<double>& out, int spread) {
  const int combs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int passes[] = {556, 441, 341, 225};
  std::vector<Comb> c;
  for (int n : combs) {
    c.push_back(Comb{std::vector<double>(size_t(n + spread), 0.0)});
  }
  std::vector<Allpass> a;
  for (int n : passes) {
    a.push_back(Allpass{std::vector<double>(size_t(n + spread), 0.0)});
  }
  for (size_t i = 0; i < in.size(); ++i) {
    double x = in[i] * 0.015;
    double sum = 0;
    for (Comb& comb : c) {
      sum += comb.Run(x, 0.86, 0.3);
    }
    for (Allpass& pass : a) {
      sum = pass.Run(sum);
    }
    out[i] += sum;
  }
}

}  // namespace

void Mixdown(Buses& b, int64_t echo_delay, double peak) {
  size_t n = b.dry.Size();
  // Ping-pong echo: each repeat crosses to the other side, darker and softer.
  std::vector<double> el(n, 0.0), er(n, 0.0);
  double lp_l = 0, lp_r = 0;
  size_t d = size_t(echo_delay);
  for (size_t i = 0; i < n; ++i) {
    double dl = i >= d ? el[i - d] : 0;
    double dr = i >= d ? er[i - d] : 0;
    lp_l += (dl - lp_l) * 0.4;
    lp_r += (dr - lp_r) * 0.4;
    el[i] = b.echo.left[i] + lp_r * 0.45;
    er[i] = b.echo.right[i] + lp_l * 0.45;
    b.dry.left[i] += lp_l * 0.6;
    b.dry.right[i] += lp_r * 0.6;
    b.reverb.left[i] += lp_l * 0.2;
    b.reverb.right[i] += lp_r * 0.2;
  }
  Reverb(b.reverb.left, b.dry.left, 0);
  Reverb(b.reverb.right, b.dry.right, 23);

  // A gentle compressor on the sum keeps the loud sections from jumping
  // out, then one gain brings the highest peak to `peak`.
  double env = 0;
  for (size_t i = 0; i < n; ++i) {
    double level = std::max(std::fabs(b.dry.left[i]), std::fabs(b.dry.right[i]));
    double coeff = level > env ? 0.01 : 0.0002;
    env += (level - env) * coeff;
    double threshold = 0.5;
    double gain = env > threshold ? std::pow(env / threshold, -0.5) : 1.0;
    b.dry.left[i] *= gain;
    b.dry.right[i] *= gain;
  }
  double top = 1e-9;
  for (size_t i = 0; i < n; ++i) {
    top = std::max({top, std::fabs(b.dry.left[i]), std::fabs(b.dry.right[i])});
  }
  double scale = peak / top;
  for (size_t i = 0; i < n; ++i) {
    b.dry.left[i] *= scale;
    b.dry.right[i] *= scale;
  }
}

std::vector<int16_t> ToPcm(const Stereo& s, bool left) {
  const std::vector<double>& src = left ? s.left : s.right;
  std::vector<int16_t> out(src.size());
  for (size_t i = 0; i < src.size(); ++i) {
    out[i] = int16_t(std::lround(std::clamp(src[i], -1.0, 1.0) * 32767));
  }
  return out;
}

}  // namespace music
