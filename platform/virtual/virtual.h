// The virtual platform: the platform headers served without a display, a
// sound device or a timer thread, for programs that render the presentation
// on a clock of their own (the capture tool). Time moves only when the
// program presents a frame (one frame interval) or pauses (its length); the
// tick routine runs on the calling thread for every tick that falls due on
// the way, in order, and the built-in sound library reports a position that
// follows the same clock. No window message ever arrives.
//
// The clock counts units of 1 / (1,000 x fps) seconds, so one frame
// (1,000 units), one millisecond (fps units) and every tick fall on whole
// units whatever the frame rate.
#pragma once
#include <cstdint>

constexpr uint32_t VirtualUnitsPerFrame = 1000;
constexpr uint32_t VirtualSampleRate = 44100;   // music positions per second

// Called once per present with the window's picture (0x00RRGGBB, rows
// top-down, `width` pixels per row) and the clock at the present, before
// the clock moves on by one frame.
using VirtualPresentHook = void (*)(const uint32_t* pixels, uint32_t width, uint32_t height,
                                    uint64_t now);

// Set-up, before the system starts. Each resets nothing else.
void VirtualSetCommandLine(const char* text);           // kept by pointer
void VirtualSetFrameRate(uint32_t framesPerSecond);     // 1 or more; 60 until set
void VirtualSetPresentHook(VirtualPresentHook hook);
// Opening `name` opens `path` instead (both kept by pointer); other names
// are opened as they stand.
void VirtualMapFile(const char* name, const char* path);

// The clock, in units, and the frame rate it counts with.
uint64_t VirtualNow();
uint32_t VirtualFrameRate();

// Moves the clock on by `units`, running every tick due on the way.
void VirtualAdvance(uint64_t units);

// What the built-in sound library saw: the music handed to it (null before
// a load) and when playback started (false before the first play).
struct VirtualMusic {
  const uint8_t* data;
  uint32_t length;
  bool played;
  uint64_t playedAt;   // clock units at FSOUND_PlaySound
};
VirtualMusic VirtualMusicState();
