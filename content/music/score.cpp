// The score: D minor, about 128 beats per minute. A swell and an eight-bar
// intro carry the scroller's fade-in; the groove and the theme carry the
// long scroll, with a breakdown in the middle; a snare build stops dead on
// the scroller's fade-out cue with a crash and a boom; a quiet bell outro
// begins with the closing picture and ends on a D major chord.
#include <cctype>
#include <string>

#include "content/music/score.h"

namespace music {
namespace {

enum Chord { Dm, Bb, F, C, Gm, A, DM };

struct Voicing {
  int bass;
  int pad[5];
  int arp[4];
};

const Voicing Voicings[] = {
    {38, {50, 57, 62, 65, 0}, {62, 65, 69, 74}},   // Dm
    {34, {50, 58, 62, 65, 0}, {62, 65, 70, 74}},   // Bb
    {41, {48, 57, 60, 65, 0}, {65, 69, 72, 77}},   // F
    {36, {48, 55, 60, 64, 0}, {64, 67, 72, 76}},   // C
    {43, {50, 55, 58, 62, 0}, {62, 67, 70, 74}},   // Gm
    {45, {49, 57, 61, 64, 0}, {61, 64, 69, 73}},   // A
    {38, {50, 57, 62, 66, 69}, {62, 66, 69, 74}},  // D major
};

const Chord Progression[LastBar + 1] = {
    Dm, Bb, F, C, Dm, Bb, F, C,                              // 0-7 intro
    Dm, Bb, F, C, Dm, Bb, F, C,                              // 8-15 groove
    Dm, Bb, F, C, Dm, Bb, F, C, Dm, Bb, F, C, Dm, Bb, C, A,  // 16-31 theme
    Gm, Dm, Bb, C, Gm, Dm, Bb, A,                            // 32-39 breakdown
    Dm, Bb, F, C, Dm, Bb, F, C,                              // 40-47 build
    Dm, Bb, F, C, Dm, Bb, F, C, Dm, Bb, F, C, Dm, Bb, C, A,  // 48-63 theme again
    A,                                                       // 64 snare build
    Dm,                                                      // 65 the drop
    Dm, Bb, F, C,                                            // 66-69 outro
    DM,                                                      // 70 last chord
};

// Melodies as "NOTE STEPS" pairs (sixteenths); "r" rests, "|" is a bar line
// for the reader only.
const char* const Theme =
    "A4 4 D5 4 E5 2 F5 4 E5 2 | D5 6 C5 2 Bb4 4 A4 4 | A4 4 C5 4 F5 4 E5 2 D5 2 | E5 8 r 4 G4 2 A4 2 |"
    "A4 4 D5 4 E5 2 F5 4 G5 2 | F5 6 E5 2 D5 4 F5 4 | A5 4 G5 2 F5 2 E5 4 C5 4 | D5 12 r 4 |"
    "F5 4 A5 4 G5 2 F5 2 E5 2 F5 2 | D5 8 F5 4 D5 4 | C5 4 F5 4 A5 4 C6 4 | G5 8 E5 4 C5 4 |"
    "D5 4 F5 2 A5 2 D6 4 C6 2 A5 2 | Bb5 6 A5 2 F5 4 D5 4 | E5 4 G5 4 C6 4 Bb5 2 G5 2 | A5 12 r 4";
const char* const Breakdown =
    "D5 6 Bb4 2 G4 8 | A4 6 F4 2 D4 8 | F4 4 Bb4 4 D5 4 F5 4 | E5 12 r 4 |"
    "D5 6 Bb4 2 G4 8 | A4 6 D5 2 F5 8 | F5 4 E5 2 D5 2 D5 4 F5 4 | E5 16";
const char* const Outro = "A4 4 D5 4 E5 2 F5 4 E5 2 | D5 6 C5 2 Bb4 4 A4 4 | A4 4 C5 4 F5 4 E5 2 D5 2 | E5 12 r 4";

struct Note {
  int64_t start;
  int64_t length;
  int midi;
};

int ParsePitch(const std::string& name) {
  static const int semitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int pitch = semitone[std::toupper(name[0]) - 'A'];
  size_t i = 1;
  if (i < name.size() && name[i] == '#') {
    ++pitch;
    ++i;
  } else if (i < name.size() && name[i] == 'b') {
    --pitch;
    ++i;
  }
  int octave = std::stoi(name.substr(i));
  return (octave + 1) * 12 + pitch;
}

std::vector<Note> Parse(const char* text, int first_bar) {
  std::vector<Note> notes;
  int64_t at = BarStart(first_bar);
  std::string word;
  std::string pitch;
  auto flush = [&]() {
    if (word.empty() || word == "|") {
      word.clear();
      return;
    }
    if (pitch.empty()) {
      pitch = word;
    } else {
      int64_t length = std::stoi(word) * StepSamples;
      if (pitch != "r") {
        notes.push_back({at, length, ParsePitch(pitch)});
      }
      at += length;
      pitch.clear();
    }
    word.clear();
  };
  for (const char* p = text; *p != 0; ++p) {
    if (*p == ' ' || *p == '|') {
      flush();
    } else {
      word += *p;
    }
  }
  flush();
  return notes;
}

// The note a diatonic third below in D minor (C sharp counts as D).
int ThirdBelow(int midi) {
  static const int scale[7] = {0, 2, 4, 5, 7, 9, 10};  // C D E F G A Bb
  if (midi % 12 == 1) {
    ++midi;
  }
  int octave = midi / 12;
  int degree = 0;
  for (int i = 0; i < 7; ++i) {
    if (scale[i] <= midi % 12) {
      degree = i;
    }
  }
  int target = degree - 2;
  if (target < 0) {
    target += 7;
    --octave;
  }
  return octave * 12 + scale[target];
}

int64_t Step(int bar, int step) { return BarStart(bar) + step * StepSamples; }

bool In(int bar, int first, int last) { return bar >= first && bar <= last; }

void Harmony(Buses& b) {
  for (int bar = 0; bar <= LastBar; ++bar) {
    const Voicing& v = Voicings[Progression[bar]];
    // Pads: every bar but the build and the drop have their own shapes.
    double pad_level = In(bar, 16, 31) || In(bar, 48, 63) ? 0.75 : 0.9;
    double brightness = 0.5;
    if (bar < 8) {
      brightness = 0.25 + 0.07 * bar;
    } else if (In(bar, 32, 39)) {
      brightness = 0.35 + 0.06 * (bar - 32);
    } else if (bar >= CueClosingBar) {
      brightness = 0.3;
      pad_level = 0.7;
    }
    int64_t length = BarSamples;
    if (bar == 64) {
      length = 14 * StepSamples;  // the stop before the drop
    } else if (bar == CueFadeOutBar) {
      length = 10 * StepSamples;  // dies away before the outro
      brightness = 0.9;
    } else if (bar == LastBar) {
      length = BarSamples + BarSamples / 2;
      pad_level = 0.8;
    }
    for (int note : v.pad) {
      if (note != 0) {
        Pad(b, BarStart(bar), length, note, pad_level, brightness, Send{(note % 7) / 3.0 - 1, 0.35, 0});
      }
    }

    // Bass.
    if (In(bar, 8, 31) || In(bar, 40, 63)) {
      const int octave_up[8] = {0, 0, 12, 0, 0, 0, 12, 0};
      for (int e = 0; e < 8; ++e) {
        double vel = (e % 2 == 0) ? 0.95 : 0.7;
        Bass(b, Step(bar, e * 2), StepSamples * 2 - 400, v.bass + octave_up[e], vel, Send{});
      }
    } else if (In(bar, 4, 7) || In(bar, 32, 39) || In(bar, 66, 69)) {
      Bass(b, BarStart(bar), BarSamples - 2000, v.bass, 0.6, Send{});
    } else if (bar == 64) {
      for (int e = 0; e < 7; ++e) {
        Bass(b, Step(bar, e * 2), StepSamples * 2 - 400, v.bass, 0.7 + 0.04 * e, Send{});
      }
    } else if (bar == LastBar) {
      Bass(b, BarStart(bar), BarSamples, v.bass, 0.5, Send{});
    }

    // Arpeggio: sixteenths through the chord, opening up in the intro.
    bool arp = bar < 32 || In(bar, 36, 63);
    if (arp) {
      const int order[16] = {0, 2, 1, 3, 2, 1, 3, 2, 0, 2, 3, 1, 2, 3, 1, 2};
      double bright = bar < 8 ? 0.15 + 0.1 * bar : (In(bar, 36, 39) ? 0.3 + 0.12 * (bar - 36) : 0.85);
      double vel = bar < 8 ? 0.5 + 0.05 * bar : 0.75;
      for (int s = 0; s < 16; ++s) {
        double accent = (s % 4 == 0) ? 1.0 : 0.75;
        Pluck(b, Step(bar, s), StepSamples - 300, v.arp[order[s]], vel * accent, bright,
              Send{(s % 2 == 0) ? -0.45 : 0.45, 0.15, 0.35});
      }
    }
  }
}

void Melodies(Buses& b) {
  for (int pass = 0; pass < 2; ++pass) {
    int first = pass == 0 ? 16 : 48;
    for (const Note& n : Parse(Theme, first)) {
      Lead(b, n.start, n.length - 600, n.midi, 0.85, Send{0, 0.3, 0.3});
      if (pass == 1) {
        // The second time the theme has a harmony and a bell above it.
        // Over the A major chord a third below would clash; a fourth sits well.
        bool dominant = Progression[(n.start - FirstBarSample) / BarSamples] == A;
        int below = dominant ? n.midi - 5 : ThirdBelow(n.midi);
        Lead(b, n.start, n.length - 600, below, 0.45, Send{-0.3, 0.3, 0.2});
        Bell(b, n.start, n.length, n.midi + 12, 0.25, Send{0.4, 0.3, 0.3});
      }
    }
  }
  for (const Note& n : Parse(Breakdown, 32)) {
    Bell(b, n.start, n.length, n.midi + 12, 0.6, Send{0.2, 0.45, 0.4});
  }
  Lead(b, BarStart(64), 14 * StepSamples - 600, 81, 0.8, Send{0, 0.3, 0.2});
  // The drop: a low bell chord under the crash.
  Bell(b, BarStart(CueFadeOutBar), 8 * StepSamples, 62, 0.8, Send{-0.2, 0.5, 0.3});
  Bell(b, BarStart(CueFadeOutBar), 8 * StepSamples, 69, 0.6, Send{0.2, 0.5, 0.3});
  for (const Note& n : Parse(Outro, CueClosingBar)) {
    Bell(b, n.start, n.length, n.midi + 12, 0.7, Send{0, 0.5, 0.35});
  }
  const int last[] = {74, 78, 81, 86};
  for (int i = 0; i < 4; ++i) {
    Bell(b, Step(LastBar, i * 2), BarSamples, last[i], 0.6 - 0.08 * i, Send{-0.3 + 0.2 * i, 0.55, 0.3});
  }
}

void Drums(Buses& b) {
  Send room{0, 0.12, 0};
  // The swell before the first bar, as the scroller appears.
  Swell(b, 0, FirstBarSample, 0.7, Send{0, 0.3, 0});
  for (int bar = 0; bar <= LastBar; ++bar) {
    bool groove = In(bar, 8, 31) || In(bar, 40, 63);
    bool theme = In(bar, 16, 31) || In(bar, 48, 63);
    if (groove) {
      for (int beat = 0; beat < 4; ++beat) {
        bool fill = (bar == 15 || bar == 31 || bar == 47) && beat == 3;
        if (!fill) {
          Kick(b, Step(bar, beat * 4), 0.9);
        }
      }
    }
    if (groove || In(bar, 4, 7) || In(bar, 36, 39)) {
      double soft = groove ? 1.0 : 0.5;
      for (int s = 2; s < 16; s += 4) {
        bool open = theme && s == 14 && bar % 2 == 1;
        Hat(b, Step(bar, s), 0.8 * soft, open, Send{0.3, 0.05, 0});
      }
      if (theme || In(bar, 36, 39)) {
        for (int s = 1; s < 16; s += 2) {
          Hat(b, Step(bar, s), 0.3 * soft, false, Send{-0.3, 0.02, 0});
        }
      }
    }
    if (theme || In(bar, 44, 47)) {
      Clap(b, Step(bar, 4), 0.8, Send{0, 0.25, 0});
      Clap(b, Step(bar, 12), 0.8, Send{0, 0.25, 0});
    }
    // Fills into the next section.
    if (bar == 15 || bar == 31 || bar == 47) {
      for (int s = 12; s < 16; ++s) {
        Snare(b, Step(bar, s), 0.5 + 0.12 * (s - 12), room);
      }
    }
    if (bar == 8 || bar == 16 || bar == 40 || bar == 48) {
      Crash(b, BarStart(bar), 0.9, Send{0, 0.2, 0});
    } else if (bar == 24 || bar == 56) {
      Crash(b, BarStart(bar), 0.6, Send{0, 0.2, 0});
    }
  }
  Swell(b, BarStart(15), BarSamples, 0.5, Send{0, 0.2, 0});
  Swell(b, BarStart(39), BarSamples, 0.6, Send{0, 0.2, 0});
  Swell(b, BarStart(46), 2 * BarSamples, 0.6, Send{0, 0.2, 0});

  // Bar 64: a snare roll that climbs and stops dead an eighth before the
  // fade-out cue; the cue itself is a crash and a boom.
  for (int s = 0; s < 14; ++s) {
    Snare(b, Step(64, s), 0.35 + 0.045 * s, room);
    if (s >= 8) {
      Snare(b, Step(64, s) + StepSamples / 2, 0.35 + 0.045 * s, room);
    }
  }
  Kick(b, Step(64, 0), 0.9);
  Kick(b, Step(64, 4), 0.9);
  Kick(b, Step(64, 8), 0.9);
  Kick(b, Step(64, 12), 0.9);
  Swell(b, BarStart(64), 14 * StepSamples, 0.8, Send{0, 0.1, 0});
  Crash(b, BarStart(CueFadeOutBar), 1.0, Send{0, 0.4, 0});
  Boom(b, BarStart(CueFadeOutBar), 1.0);
  Kick(b, BarStart(CueFadeOutBar), 1.0);
  // The closing picture arrives with a soft kick and cymbal under the bells.
  Kick(b, BarStart(CueClosingBar), 0.55);
  Crash(b, BarStart(CueClosingBar), 0.35, Send{0, 0.4, 0});
}

}  // namespace

void Compose(Buses& buses) {
  Harmony(buses);
  Melodies(buses);
  Drums(buses);
}

}  // namespace music
