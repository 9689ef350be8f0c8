// The simulated-time harness.
#include "tests/presentation/sim.h"

#include "app/runloop.h"
#include "app/startup.h"
#include "base/names.h"
#include "base/syserror.h"
#include "demo/draw.h"
#include "demo/fade.h"
#include "demo/script.h"
#include "sound/sound.h"
#include "tests/common/program_items.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_soundlib.h"
#include "tests/fake/fake_timer.h"
#include "tests/fake/fake_video.h"
#include "timing/sequencer.h"
#include "tools/packlib/packlib.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

SimOptions Options;
uint64_t Now = 0;               // simulated milliseconds since the reset
bool MusicStarted = false;
uint64_t MusicStart = 0;        // when FSOUND_PlaySound was first seen playing
int32_t LastLevel = 0;

constexpr size_t LevelRoom = 1 << 14;
SimLevelChange Levels[LevelRoom];
size_t LevelsUsed = 0;

constexpr size_t TraceRoom = 1 << 16;
SimTraceEntry Trace[TraceRoom];
size_t TraceUsed = 0;

// --- the synthetic content ---------------------------------------------

uint32_t WidePaletteEntry(uint32_t i) { return (i << 16) | ((255 - i) << 8) | ((i * 3) & 255); }
uint32_t OpeningPaletteEntry(uint32_t i) { return 0x00808080u ^ (i * 0x010203u); }
uint32_t ClosingPaletteEntry(uint32_t i) { return (i * 0x00050709u) & 0x00FFFFFFu; }
uint32_t LoadingPaletteEntry(uint32_t i) { return 0x00010101u * i; }
uint8_t OpeningIndex(uint32_t i) { return static_cast<uint8_t>(i % 251); }
uint8_t ClosingIndex(uint32_t i) { return static_cast<uint8_t>((i / 320 + i) & 255); }
uint8_t LoadingIndex(uint32_t i) { return static_cast<uint8_t>((i * 7) & 255); }

constexpr uint32_t MusicItemBytes = 4096;
uint8_t MusicByte(uint32_t i) { return static_cast<uint8_t>(((i * 31) + 7) | 1); }

uint8_t WideIndex(uint32_t i) { return static_cast<uint8_t>(i % WideWidth + i / WideWidth); }

// The items of the program file, 1 to 9; `count` of them are packed.
std::vector<uint8_t> MakeProgramFile(size_t count, bool wideTooBig) {
  std::vector<std::vector<uint8_t>> contents = {
      PaletteBytes(WidePaletteEntry),
      PictureBytes(WideIndex, wideTooBig ? WidePixels + 1 : WidePixels),
      PictureBytes(MusicByte, MusicItemBytes),
      PaletteBytes(OpeningPaletteEntry),
      PictureBytes(OpeningIndex, FramePixels),
      PaletteBytes(ClosingPaletteEntry),
      PictureBytes(ClosingIndex, FramePixels),
      PaletteBytes(LoadingPaletteEntry),
      PictureBytes(LoadingIndex, FramePixels),
  };
  std::vector<PackItem> items;
  std::string error;
  for (size_t i = 0; i < count; i++) {
    PackItem item;
    item.name = "item" + std::to_string(i + 1) + ".da~";
    EXPECT_TRUE(PackEncode(contents[i], item.stored, error)) << error;
    items.push_back(item);
  }
  std::vector<uint8_t> image(4000, 0x90);
  std::vector<uint8_t> file;
  if (items.empty()) {
    // An archive without items: the trailer alone, count 0.
    file = image;
    for (uint32_t field : {0u, 0u, 12u}) {
      for (int b = 0; b < 4; b++) {
        file.push_back(static_cast<uint8_t>(field >> (8 * b)));
      }
    }
    return file;
  }
  EXPECT_TRUE(PackBuildArchive(image, items, file, error)) << error;
  return file;
}

const std::vector<uint8_t>& GoodProgramFile() {
  static const std::vector<uint8_t> file = MakeProgramFile(9, false);
  return file;
}

// --- the clock -------------------------------------------------------------

void Observe() {
  int32_t level = FadeLevel.load();
  if (level != LastLevel && LevelsUsed < LevelRoom) {
    Levels[LevelsUsed++] = SimLevelChange{Now, level};
  }
  LastLevel = level;
}

uint32_t PositionNow() {
  if (!MusicStarted) {
    return 0;
  }
  uint64_t samples = (Now - MusicStart) * SimSampleRate * Options.musicPermille / 1000000;
  return samples < SimMusicSamples ? static_cast<uint32_t>(samples) : SimMusicSamples;
}

bool LoopStarted = false;   // the first sequencer step was seen
bool LoopEnded = false;     // the stop of playback after the loop was seen

// One sequencer step: a pass has gone by since the last one.
uint32_t PositionHook(int channel) {
  if (!LoopStarted) {
    LoopStarted = true;
    if (Options.beforeLoop != nullptr) {
      Options.beforeLoop();
    }
  }
  SimAdvance(Options.passMs);
  return PositionNow();
}

void SleepHook(uint32_t milliseconds) { SimAdvance(milliseconds); }

// Start-up stops nothing, so the first stop is the one after the loop.
void StopHook() {
  if (LoopStarted && !LoopEnded) {
    LoopEnded = true;
    if (Options.afterLoop != nullptr) {
      Options.afterLoop();
    }
  }
}

// --- the traced table ------------------------------------------------------

void Record(uint32_t row, SimCall call, bool done, uint64_t tick, uint32_t position) {
  Observe();
  if (TraceUsed < TraceRoom) {
    Trace[TraceUsed++] = SimTraceEntry{row,
                                       call,
                                       done,
                                       tick,
                                       Now - tick,
                                       position,
                                       FadeLevel.load(),
                                       ScrollPosition.load(),
                                       FlickerOffset.load(),
                                       FrameBuffer[0]};
  }
}

// Runs one of row `Row`'s routines and records it with the tick and the
// music position it started at.
template <uint32_t Row, SimCall Call>
bool Traced() {
  uint64_t tick = Now;
  uint32_t position = PositionNow();
  bool done = false;
  if constexpr (Call == SimCall::Enter) {
    SceneTable[Row].enter();
  } else if constexpr (Call == SimCall::Frame) {
    done = SceneTable[Row].frame();
  } else {
    SceneTable[Row].leave();
  }
  Record(Row, Call, done, tick, position);
  return done;
}

template <uint32_t Row>
void TracedEnter() {
  Traced<Row, SimCall::Enter>();
}

template <uint32_t Row>
void TracedLeave() {
  Traced<Row, SimCall::Leave>();
}

// The script's table with every routine wrapped; filled from SceneTable at
// the first reset, so no order of static initialisation is relied on.
SceneEntry TracedTable[SceneRowCount + 1];

template <uint32_t... Row>
void FillTracedTable(std::integer_sequence<uint32_t, Row...>) {
  ((TracedTable[Row] = SceneEntry{SceneTable[Row].endMark, TracedEnter<Row>, Traced<Row, SimCall::Frame>,
                                  TracedLeave<Row>}),
   ...);
  TracedTable[SceneRowCount] = SceneTable[SceneRowCount];
}

// Rows are told apart by identity: a step through a row of the harness's
// own makes it the last entered row, so a run that ended in the script's
// first row cannot hide that row's entry from the next run.
void PrimeEnter() {}
bool PrimeFrame() { return false; }
const SceneEntry PrimeTable[] = {
    {SceneTableEnd - 1, PrimeEnter, PrimeFrame, PrimeEnter},
    {SceneTableEnd, nullptr, nullptr, nullptr},
};

uint32_t RunCatchingExit(void (*program)()) {
  try {
    program();
  } catch (const FakeExit& e) {
    return e.code;
  }
  ADD_FAILURE() << "the program returned without ending the process";
  return 0xFFFFFFFF;
}

uint32_t RunProgram(const SceneEntry* scenes) {
  PresentationScenes = scenes;
  uint32_t code = RunCatchingExit(QuillwaveMain);
  PresentationScenes = SceneTable;
  return code;
}

uint32_t ExpandedPixel(uint32_t (*palette)(uint32_t), uint8_t (*index)(uint32_t), uint32_t i) {
  return palette(index(i));
}

}  // namespace

void SimReset(const SimOptions& options) {
  FillTracedTable(std::make_integer_sequence<uint32_t, SceneRowCount>{});
  InstallSceneTable(PrimeTable);
  SequencerStep();

  FakeReset();
  Options = options;
  Now = 0;
  MusicStarted = false;
  MusicStart = 0;
  LevelsUsed = 0;
  TraceUsed = 0;
  SystemError = ErrorNone;
  FrameHook = nullptr;
  FlickerOffset.store(0);
  FadeLevel.store(0);
  LastLevel = 0;
  LoopStarted = false;
  LoopEnded = false;

  FakeSetCommandLine(options.commandLine);
  if (options.displayService) {
    FakeDisplayInstall();
  }
  if (options.programFile) {
    const std::vector<uint8_t>& file = GoodProgramFile();
    FakeFileAdd(ProgramFileName, file.data(), file.size());
  }
  if (options.soundLibrary) {
    FakeSoundLibInstall();
  }
  FakeSoundLibSetPositionHook(PositionHook);
  FakeSoundLibSetStopHook(StopHook);
  FakeSetSleepHook(SleepHook);
  FakeSetClockNanoseconds(0x123456789ull);
}

void SimUseBrokenProgramFile(SimBrokenFile how) {
  std::vector<uint8_t> file;
  switch (how) {
    case SimBrokenFile::NoItems:
      file = MakeProgramFile(0, false);
      break;
    case SimBrokenFile::NoLoadingPicture:
      file = MakeProgramFile(7, false);
      break;
    case SimBrokenFile::WidePictureTooBig:
      file = MakeProgramFile(9, true);
      break;
  }
  FakeFileAdd(ProgramFileName, file.data(), file.size());
}

uint64_t SimNow() { return Now; }
uint32_t SimMusicPosition() { return PositionNow(); }

void SimAdvance(uint64_t milliseconds) {
  for (uint64_t i = 0; i < milliseconds; i++) {
    if (!MusicStarted && FakeSoundLibPlaying()) {
      MusicStarted = true;
      MusicStart = Now;
    }
    Now++;
    FakeTimerTick(1);
    Observe();
  }
}

uint32_t SimRunMain() { return RunProgram(SceneTable); }
uint32_t SimRunTraced() { return RunProgram(TracedTable); }

size_t SimLevelChanges() { return LevelsUsed; }
const SimLevelChange& SimLevelChangeAt(size_t i) { return Levels[i]; }
size_t SimTraceCount() { return TraceUsed; }
const SimTraceEntry& SimTraceAt(size_t i) { return Trace[i]; }

uint32_t SimLoadingPixel(uint32_t i) { return ExpandedPixel(LoadingPaletteEntry, LoadingIndex, i); }
uint32_t SimOpeningPixel(uint32_t i) { return ExpandedPixel(OpeningPaletteEntry, OpeningIndex, i); }
uint32_t SimClosingPixel(uint32_t i) { return ExpandedPixel(ClosingPaletteEntry, ClosingIndex, i); }
const uint8_t* SimMusicItem() {
  static uint8_t bytes[MusicItemBytes];
  for (uint32_t i = 0; i < MusicItemBytes; i++) {
    bytes[i] = MusicByte(i);
  }
  return bytes;
}
uint32_t SimMusicItemBytes() { return MusicItemBytes; }
