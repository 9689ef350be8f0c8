// The presentation's music: where it sits on the timeline and the score.
#pragma once
#include <cstdint>

#include "content/music/synth.h"

namespace music {

// Samples per channel fed to the encoder: this many make exactly 5,220
// MP3 frames at 128 kbit/s.
constexpr int64_t TotalSamples = 6011712;
// The decoded stream starts with the encoder's and the decoder's delay
// (576 + 529 samples), so a sound placed at input sample p is heard at
// decoded position p + CodecDelay.
constexpr int64_t CodecDelay = 1105;
// Decoded positions the scenes wait for: the scroller's fast fade-out and
// the closing picture.
constexpr int64_t CueFadeOut = 5423104;
constexpr int64_t CueClosing = 5505536;

// One bar is the distance between the two cues, so both fall on bar lines:
// 82,432 samples, four beats at about 128.4 beats per minute.
constexpr int64_t BarSamples = CueClosing - CueFadeOut;
constexpr int64_t StepSamples = BarSamples / 16;  // a sixteenth note
constexpr int CueFadeOutBar = 65;
constexpr int CueClosingBar = 66;
constexpr int LastBar = 70;
// Input sample of bar 0; the time before it is a short swell.
constexpr int64_t FirstBarSample = CueFadeOut - CodecDelay - CueFadeOutBar * BarSamples;

constexpr int64_t BarStart(int bar) { return FirstBarSample + bar * BarSamples; }

void Compose(Buses& buses);

}  // namespace music
