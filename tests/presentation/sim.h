// Simulated time for whole-presentation tests: the system on the fake
// platform, a program file made of small synthetic content, the stand-in
// sound library, and a clock that only moves when the test lets it. Each
// sequencer step (one read of the music position) moves the clock by one
// pass; every pause moves it by its length. The tick timer fires once per
// simulated millisecond and the music position follows the clock.
// Recording allocates nothing, so a run can be watched by a counting
// allocator.
#pragma once
#include <cstddef>
#include <cstdint>

#include "timing/sequencer.h"

struct SimOptions {
  uint32_t passMs = 16;               // simulated length of one pass (a 60 Hz display)
  uint32_t musicPermille = 1000;      // music speed, 1000 = as recorded
  const char* commandLine = "QZ_Quillwave2k.exe /w";
  bool programFile = true;            // the program file lies in the current directory
  bool soundLibrary = true;           // "fmod.dll" can be loaded
  bool displayService = true;         // "ddraw.dll" can be loaded (full screen)
  // Watch the run loop from outside the program: called at its first
  // sequencer step (the first read of the music position), before the step
  // and the pass's message; and at the stop of playback just after it.
  void (*beforeLoop)() = nullptr;
  void (*afterLoop)() = nullptr;
};

// Music samples per second, and the length of the music in samples.
constexpr uint32_t SimSampleRate = 44100;
constexpr uint32_t SimMusicSamples = 5220 * 1152;

// Resets the fake platform and the shared state, and lays out the machine
// as the options say.
void SimReset(const SimOptions& options);

// Simulated milliseconds (= ticks) since the reset; the music position now.
uint64_t SimNow();
uint32_t SimMusicPosition();

// Moves the clock on, firing the tick timer once per millisecond.
void SimAdvance(uint64_t milliseconds);

// The whole program as the entry point runs it; returns the exit code.
uint32_t SimRunMain();
// The same with the script's rows in a table of the harness's own, each
// routine wrapped and traced; returns the exit code.
uint32_t SimRunTraced();

// Every change of FadeLevel, as seen after each tick and each routine.
struct SimLevelChange {
  uint64_t tick;
  int32_t level;
};
size_t SimLevelChanges();
const SimLevelChange& SimLevelChangeAt(size_t i);

// One traced routine call of the scene table.
enum class SimCall : uint8_t { Enter, Frame, Leave };
struct SimTraceEntry {
  uint32_t row;
  SimCall call;
  bool done;               // frame routines: what they reported
  uint64_t tick;           // clock when the routine was called
  uint64_t ticksInside;    // time that passed inside the routine (pauses)
  uint32_t position;       // music position when it was called
  int32_t levelAfter;      // FadeLevel when it returned
  uint32_t scrollAfter;    // ScrollPosition when it returned
  int32_t flickerAfter;    // FlickerOffset when it returned
  uint32_t frameFirstPixel;   // FrameBuffer[0] when it returned
};
size_t SimTraceCount();
const SimTraceEntry& SimTraceAt(size_t i);

// Content of the synthetic program file, for checks on the frame.
uint32_t SimLoadingPixel(uint32_t i);    // loading picture pixel i, expanded
uint32_t SimOpeningPixel(uint32_t i);    // opening picture pixel i, expanded
uint32_t SimClosingPixel(uint32_t i);
// The music item's bytes.
const uint8_t* SimMusicItem();
uint32_t SimMusicItemBytes();

// Program files whose directory or items are unusable.
enum class SimBrokenFile {
  NoItems,           // an archive of nothing
  NoLoadingPicture,  // the archive ends at item 7, so item 8 is refused
  WidePictureTooBig  // item 2 decodes to more than its buffer holds
};
void SimUseBrokenProgramFile(SimBrokenFile how);
