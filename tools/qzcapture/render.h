// The presentation rendered on the virtual platform: the system's own
// start-up, run loop and shutdown steps, with every frame interval of the
// video handed to a sink in order.
#pragma once
#include "base/frame.h"

#include <cstdint>
#include <string>

// Called once per frame interval of the video with the picture the screen
// shows then (0x00RRGGBB, rows top-down), index counting from 0. A pause
// repeats the last presented picture for each interval it lasts.
using FrameSink = bool (*)(const uint32_t* frame, uint64_t index, void* context);

struct RenderResult {
  bool ok;                 // the presentation ran to its end
  std::string error;       // why not
  uint64_t frames;         // frame intervals handed to the sink
  bool musicPlayed;        // the script started the music
  uint64_t musicStart;     // clock units (1 / (1,000 x fps) s) when it did
  const uint8_t* music;    // the music as the sound library was handed it
  uint32_t musicLength;
};

// Frames the whole presentation should last at `fps`: what the script's
// fades, holds and music cues add up to, for progress reports.
uint64_t ExpectedFrames(uint32_t fps);

// Runs the presentation of the program file at `programPath`.
RenderResult RenderPresentation(const char* programPath, uint32_t fps, FrameSink sink, void* context);
