// Start-up's failure paths with their exit codes and shutdown order, the
// normal end, and the run loop's passes: one message each, quit gestures,
// the frame hook and the pause while inactive.
#include "app/runloop.h"
#include "app/startup.h"
#include "app/winproc.h"
#include "base/syserror.h"
#include "demo/draw.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_soundlib.h"
#include "tests/fake/fake_timer.h"
#include "tests/fake/fake_video.h"
#include "tests/presentation/sim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* FullScreen = "QZ_Quillwave2k.exe";
constexpr const char* Windowed = "QZ_Quillwave2k.exe /w";

bool IsSoundLibraryCall(const char* op) {
  return std::strncmp(op, "FSOUND_", 7) == 0 || std::strncmp(op, "FMUSIC_", 7) == 0;
}

size_t SoundLibraryCalls() {
  size_t n = 0;
  for (size_t i = 0; i < FakeCallCount(); i++) {
    n += IsSoundLibraryCall(FakeCallAt(i).op) ? 1 : 0;
  }
  return n;
}

// Libraries loaded after the frame was made: the display service is loaded
// before it, so these are loads of the sound library.
size_t SoundLibraryLoads() {
  size_t n = 0;
  for (size_t i = FakeFind("CreateDIBSection"); i < FakeCallCount(); i++) {
    n += std::strcmp(FakeCallAt(i).op, "ModuleLoad") == 0 ? 1 : 0;
  }
  return n;
}

size_t Last(const char* op) {
  size_t at = FakeCallCount();
  for (size_t i = 0; i < FakeCallCount(); i++) {
    if (std::strcmp(FakeCallAt(i).op, op) == 0) {
      at = i;
    }
  }
  return at;
}

// The shutdown path in its order: the tick timer stopped first, then the
// sound, the frame, the window, and the exit with `code` last of all.
void ExpectShutdown(uint32_t code) {
  size_t end = FakeCallCount();
  ASSERT_GT(end, 0u);
  EXPECT_EQ(FakeArgsAt<FakeExitProcessCall>(end - 1).code, code);
  size_t kill = Last("TimerKillEvent");
  ASSERT_LT(kill, end) << "the tick timer was not stopped";
  // Nothing of the sound library, the frame or the window before the stop.
  for (size_t i = kill + 1; i < end; i++) {
    EXPECT_STRNE(FakeCallAt(i).op, "TimerSetEvent");
  }
  const char* later[] = {"FSOUND_Close", "ModuleFree", "ReleaseDC", "DestroyWindow"};
  size_t previous = kill;
  for (const char* op : later) {
    size_t at = FakeFind(op, kill);
    if (at < end) {
      EXPECT_GT(at, previous) << op;
      previous = at;
    }
  }
  EXPECT_FALSE(FakeTimerRunning());
}

// A start-up that failed with `code` before the music: the program file
// opened `opens` times and closed again, `blits` frames presented, no tick
// timer, no sound library, and the shutdown in its order.
void ExpectEndedBeforeTheMusic(uint32_t code, size_t opens, size_t blits, size_t timerEvents = 0) {
  EXPECT_EQ(FakeCount("FileOpen"), opens);
  EXPECT_EQ(FakeFileOpenCount(), 0);
  EXPECT_EQ(FakeCount("BitBlt"), blits);
  EXPECT_EQ(FakeCount("TimerSetEvent"), timerEvents);
  EXPECT_EQ(SoundLibraryLoads(), 0u);
  ExpectShutdown(code);
}

bool FrameHoldsLoadingPicture() {
  for (uint32_t i = 0; i < FramePixels; i++) {
    if (FrameBuffer[i] != SimLoadingPixel(i)) {
      return false;
    }
  }
  return true;
}

SimOptions With(const char* commandLine) {
  SimOptions options;
  options.commandLine = commandLine;
  options.passMs = 50;
  return options;
}

TEST(StartupFailure, DisplayFailuresEndBeforeAnyContentOrSound) {
  struct Case {
    const char* name;
    const char* commandLine;
    void (*script)();
    bool displayService;
    uint32_t code;
  };
  const Case cases[] = {
      {"no display service", FullScreen, [] {}, false, ErrorDisplayService},
      {"no cooperative level", FullScreen,
       [] { FakeDisplaySetResult(FakeDisplayStep::CooperativeLevel, 1); }, true, ErrorDisplayService},
      {"mode refused", "QZ_Quillwave2k.exe /16",
       [] { FakeDisplaySetResult(FakeDisplayStep::SetDisplayMode, 1); }, true, ErrorDisplayMode},
      {"no mode of the size", FullScreen, [] { FakeDisplayClearModes(); }, true, ErrorDisplayMode},
      {"no window at all", Windowed, [] { FakeWindowFail(true); }, true, ErrorNoDisplay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimOptions options = With(c.commandLine);
    options.displayService = c.displayService;
    SimReset(options);
    c.script();
    EXPECT_EQ(SimRunMain(), c.code);
    EXPECT_EQ(FakeCount("FileOpen"), 0u);
    EXPECT_EQ(SoundLibraryLoads(), 0u);
    EXPECT_EQ(SoundLibraryCalls(), 0u);
    EXPECT_EQ(FakeCount("TimerSetEvent"), 0u);
    ExpectShutdown(c.code);
    if (FakeVideoWindow() != 0) {
      EXPECT_FALSE(FakeWindowExists(FakeVideoWindow()));
    }
  }
}

TEST(StartupFailure, NoPixelMemoryEndsWithFourBeforeTheArchive) {
  SimReset(With(Windowed));
  FakeBitmapFail(true);
  EXPECT_EQ(SimRunMain(), ErrorFrameBuffer);
  EXPECT_EQ(FakeCount("FileOpen"), 0u);
  EXPECT_EQ(FakeCount("BitBlt"), 0u);
  EXPECT_EQ(SoundLibraryCalls(), 0u);
  ExpectShutdown(ErrorFrameBuffer);
  EXPECT_FALSE(FakeWindowExists(FakeVideoWindow()));
}

// Seven before the loading picture when the file or that picture is not
// there; after it, once the picture was shown, when a later item is refused.
TEST(StartupFailure, AMissingOrUnusableProgramFileEndsWithSeven) {
  struct Case {
    const char* name;
    bool present;
    SimBrokenFile how;
    bool pictureShown;
  };
  const Case cases[] = {
      {"not in the current directory", false, SimBrokenFile::NoItems, false},
      {"no items", true, SimBrokenFile::NoItems, false},
      {"no loading picture", true, SimBrokenFile::NoLoadingPicture, false},
      {"a content item refused", true, SimBrokenFile::WidePictureTooBig, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimOptions options = With(Windowed);
    options.programFile = false;
    SimReset(options);
    if (c.present) {
      SimUseBrokenProgramFile(c.how);
    }
    EXPECT_EQ(SimRunMain(), ErrorArchive);
    if (c.pictureShown) {
      // Opened again for the content, after the picture was presented.
      EXPECT_TRUE(FrameHoldsLoadingPicture());
      ExpectEndedBeforeTheMusic(ErrorArchive, 2, 1);
    } else {
      // One attempt, nothing presented.
      ExpectEndedBeforeTheMusic(ErrorArchive, 1, 0);
    }
  }
}

TEST(StartupFailure, ATimerThatDoesNotStartEndsWithThree) {
  enum class Refused { Caps, Resolution, Event };
  for (Refused what : {Refused::Caps, Refused::Resolution, Refused::Event}) {
    SCOPED_TRACE(static_cast<int>(what));
    SimReset(With(Windowed));
    if (what == Refused::Caps) {
      FakeTimerSetCaps(false, 0, 0);
    } else if (what == Refused::Resolution) {
      FakeTimerSetBeginPeriodResult(false);
    } else {
      FakeTimerSetEventResult(0);
    }
    EXPECT_EQ(SimRunMain(), ErrorTickTimer);
    // The content was loaded under the loading picture.
    ExpectEndedBeforeTheMusic(ErrorTickTimer, 2, 1, what == Refused::Event ? 1 : 0);
  }
}

TEST(StartupFailure, WithoutTheSoundLibraryTheLoadingPictureStaysUntilExitSix) {
  SimOptions options = With(Windowed);
  options.soundLibrary = false;
  SimReset(options);
  EXPECT_EQ(SimRunMain(), ErrorSound);
  EXPECT_EQ(SoundLibraryLoads(), 1u);
  // Presented once, after the items of the loading picture were read, and
  // still in the frame when the process ends.
  EXPECT_EQ(FakeCount("BitBlt"), 1u);
  EXPECT_LT(FakeFind("FileOpen"), FakeFind("BitBlt"));
  EXPECT_TRUE(FrameHoldsLoadingPicture());
  EXPECT_EQ(SoundLibraryCalls(), 0u);
  EXPECT_EQ(FakeCount("TimerEndPeriod"), 1u);
  ExpectShutdown(ErrorSound);
}

TEST(StartupFailure, ASoundLibraryThatFailsIsClosedOnTheWayOut) {
  struct Case {
    const char* name;
    void (*script)();
    bool initialised;
  };
  const Case cases[] = {
      {"initialisation refused", [] { FakeSoundLibSetInitResult(2); }, false},
      {"music refused", [] { FakeSoundLibRefuseMusic(true); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset(With(Windowed));
    c.script();
    EXPECT_EQ(SimRunMain(), ErrorSound);
    EXPECT_EQ(FakeCount("FSOUND_PlaySound"), 0u);
    EXPECT_EQ(FakeCount("FSOUND_Close"), 1u);
    EXPECT_EQ(FakeCount("ModuleFree"), 1u);
    EXPECT_EQ(FakeCount("FSOUND_Sample_LoadMpegMemory"), c.initialised ? 1u : 0u);
    EXPECT_EQ(FakeModuleLoadedCount(), 0);
    EXPECT_EQ(FakeCount("BitBlt"), 1u);
    ExpectShutdown(ErrorSound);
  }
}

TEST(Startup, TheOrderOfTheSteps) {
  SimReset(With(Windowed));
  EXPECT_EQ(SimRunMain(), ErrorNone);
  EXPECT_STREQ(FakeWindowTitle(FakeVideoWindow()), "Quillwave 2k - Orvalund");
  const char* order[] = {"CreateWindow", "CreateDIBSection", "FileOpen", "BitBlt", "FileOpen",
                         "TimerBeginPeriod", "TimerSetEvent", "FSOUND_Init",
                         "FSOUND_Sample_LoadMpegMemory", "PeekMessage"};
  size_t at = 0;
  for (const char* op : order) {
    size_t found = FakeFind(op, at);
    ASSERT_LT(found, FakeCallCount()) << op;
    at = found + 1;
  }
  // Between the loading picture and the first pass no message is taken.
  EXPECT_EQ(FakeFind("PeekMessage"), FakeFind("PeekMessage", FakeFind("FSOUND_Sample_LoadMpegMemory")));
  // The timer at 1 ms ticks with the resolution of 16,384; the sound with
  // 44,100 Hz, 32 channels and the demo window.
  EXPECT_EQ(FakeFirst<FakeTimerBeginPeriodCall>().resolution, 16384);
  EXPECT_EQ(FakeFirst<FakeTimerSetEventCall>().interval, 1);
  FakeSoundInitCall init = FakeFirst<FakeSoundInitCall>();
  EXPECT_EQ(init.rate, 44100);
  EXPECT_EQ(init.channels, 32);
  EXPECT_EQ(init.flags, 0);
  EXPECT_EQ(static_cast<uintptr_t>(FakeFirst<FakeSoundSetHwndCall>().window), FakeVideoWindow());
  // The whole music buffer: the item, then zeros up to 2,200,000 bytes.
  ASSERT_EQ(FakeSoundLibMusicLength(), MusicBufferBytes);
  const uint8_t* music = FakeSoundLibMusic();
  EXPECT_EQ(std::memcmp(music, SimMusicItem(), SimMusicItemBytes()), 0);
  size_t nonZero = 0;
  for (uint32_t i = SimMusicItemBytes(); i < MusicBufferBytes; i++) {
    nonZero += music[i] != 0 ? 1 : 0;
  }
  EXPECT_EQ(nonZero, 0u);
  // The end: the last step is presented and one message taken, then the
  // music stops, and stops again inside the close.
  size_t lastStep = Last("FSOUND_GetCurrentPosition");
  size_t firstStop = FakeFind("FSOUND_StopSound");
  EXPECT_EQ(FakeFind("BitBlt", lastStep), Last("BitBlt"));
  EXPECT_EQ(FakeFind("PeekMessage", lastStep), Last("PeekMessage"));
  EXPECT_LT(Last("PeekMessage"), firstStop);
  EXPECT_LT(firstStop, Last("TimerKillEvent"));
  EXPECT_LT(Last("TimerKillEvent"), Last("FSOUND_StopSound"));
  ExpectShutdown(ErrorNone);
}

// --- the run loop --------------------------------------------------------

// Messages the test puts in the queue just before the loop starts.
std::vector<PlatMessage> Queued;
size_t QueuedBefore = 0;   // what start-up left in the queue

void QueueAll() {
  QueuedBefore = FakeQueuedMessages();
  for (const PlatMessage& m : Queued) {
    FakeQueueMessage(m.window == 0 ? FakeVideoWindow() : m.window, m.message, m.wParam, m.lParam);
  }
}

size_t Passes() { return FakeCount("PeekMessage"); }

TEST(RunLoop, OneMessagePerPassSoAReleaseWaitsBehindOthers) {
  SimOptions options = With(Windowed);
  options.beforeLoop = QueueAll;
  SimReset(options);
  Queued.assign(5, PlatMessage{0, WM_MOUSEMOVE, 0, 0});
  Queued.push_back(PlatMessage{0, WM_KEYUP, VK_ESCAPE, 0});
  EXPECT_EQ(SimRunTraced(), ErrorNone);
  EXPECT_EQ(Passes(), QueuedBefore + 6);
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), Passes());
  EXPECT_EQ(FakeCount("BitBlt"), 1 + Passes());
  EXPECT_EQ(FakeCount("FSOUND_PlaySound"), 0u);
  ExpectShutdown(ErrorNone);
}

TEST(RunLoop, EachQuitGestureEndsThePassThatHandlesIt) {
  const PlatMessage gestures[] = {
      {0, WM_KEYUP, VK_ESCAPE, 0},
      {0, WM_RBUTTONUP, 0, 0},
      {0, WM_CLOSE, 0, 0},
  };
  for (const PlatMessage& g : gestures) {
    SCOPED_TRACE(g.message);
    SimOptions options = With(Windowed);
    options.beforeLoop = QueueAll;
    SimReset(options);
    Queued = {PlatMessage{0, WM_MOUSEMOVE, 0, 0}, g};
    EXPECT_EQ(SimRunTraced(), ErrorNone);
    EXPECT_EQ(Passes(), QueuedBefore + 2);
    ExpectShutdown(ErrorNone);
  }
}

TEST(RunLoop, PressesOtherKeysAndOtherWindowsEndNothing) {
  SimOptions options = With(Windowed);
  options.beforeLoop = QueueAll;
  options.musicPermille = 10000;   // a shorter run to the end of the table
  SimReset(options);
  Queued = {
      PlatMessage{0, WM_KEYDOWN, VK_ESCAPE, 0},
      PlatMessage{0, WM_RBUTTONDOWN, 0, 0},
      PlatMessage{0, WM_LBUTTONUP, 0, 0},
      PlatMessage{0, WM_KEYUP, 'A', 0},
      PlatMessage{0x5151, WM_KEYUP, VK_ESCAPE, 0},   // no window of ours
  };
  EXPECT_EQ(SimRunTraced(), ErrorNone);
  // The script ran to its last row.
  ASSERT_GT(SimTraceCount(), 0u);
  EXPECT_EQ(SimTraceAt(SimTraceCount() - 1).row, 7u);
  EXPECT_EQ(FakeCount("FSOUND_PlaySound"), 1u);
}

// A frame hook that asks to quit through the window after three passes.
int HookCalls = 0;
void QuitAfterThree() {
  if (++HookCalls == 3) {
    FakeQueueMessage(FakeVideoWindow(), WM_KEYUP, VK_ESCAPE, 0);
  }
}

TEST(RunLoop, AFrameHookReplacesTheSequencer) {
  SimReset(With(Windowed));
  HookCalls = 0;
  FrameHook = QuitAfterThree;
  EXPECT_EQ(SimRunTraced(), ErrorNone);
  FrameHook = nullptr;
  // The sequencer never stepped: no position read, no scene entered.
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), 0u);
  EXPECT_EQ(HookCalls, 3);
  EXPECT_EQ(FakeCount("BitBlt"), 4u);   // the loading picture and three passes
  EXPECT_TRUE(FrameHoldsLoadingPicture());
}

TEST(RunLoop, PausedWhileInactiveNothingIsDrawnUntilTheFocusComes) {
  SimReset(With(Windowed));
  ASSERT_TRUE(StartPresentation());
  WindowActive = 0;
  uintptr_t window = FakeVideoWindow();
  size_t before = FakeQueuedMessages();
  for (int i = 0; i < 3; i++) {
    FakeQueueMessage(window, WM_MOUSEMOVE, 0, 0);
  }
  FakeQueueMessage(window, WM_SETFOCUS, 0, 0);
  FakeQueueMessage(window, WM_MOUSEMOVE, 0, 0);
  FakeQueueMessage(window, WM_KEYUP, VK_ESCAPE, 0);
  size_t blits = FakeCount("BitBlt");
  RunLoopPausing(1);
  // Passes before the focus message was handled drew nothing; from the pass
  // after it on, each pass steps and presents.
  EXPECT_EQ(Passes(), before + 6);
  EXPECT_EQ(FakeCount("BitBlt") - blits, 2u);
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), 2u);
  EXPECT_EQ(WindowActive, 1u);
}

TEST(RunLoop, TheSystemsLoopRunsWhileInactive) {
  EXPECT_EQ(PauseWhenInactive, 0u);
  SimReset(With(Windowed));
  ASSERT_TRUE(StartPresentation());
  WindowActive = 0;
  FakeQueueMessage(FakeVideoWindow(), WM_KILLFOCUS, 0, 0);
  FakeQueueMessage(FakeVideoWindow(), WM_KEYUP, VK_ESCAPE, 0);
  size_t blits = FakeCount("BitBlt");
  size_t before = Passes();
  RunLoop();
  size_t passes = Passes() - before;
  EXPECT_EQ(FakeCount("BitBlt") - blits, passes);
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), passes);
}

}  // namespace
