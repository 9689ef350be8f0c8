// Rendering the presentation on the virtual platform.
#include "tools/qzcapture/render.h"

#include "app/startup.h"
#include "app/winproc.h"
#include "base/names.h"
#include "base/syserror.h"
#include "demo/fade.h"
#include "demo/script.h"
#include "platform/virtual/virtual.h"

#include <cstring>
#include <string>

namespace {

// The window request: a window on the desktop needs no display service.
constexpr char CaptureCommandLine[] = "QZ_Quillwave2k.exe /w";

// What the sink is fed. Main thread only.
FrameSink Sink = nullptr;
void* SinkContext = nullptr;
uint32_t Held[FrameWidth * FrameHeight];  // the picture on the screen now
uint64_t Emitted = 0;                         // frame intervals handed on
bool SinkFailed = false;
bool WrongSize = false;

// Hands on every frame interval that began before `now` with the picture
// that was on the screen then. A sink that fails ends the run loop after
// this pass, as a quit gesture would: nothing more is rendered for nothing.
void EmitUntil(uint64_t now) {
  while (!SinkFailed && Emitted * VirtualUnitsPerFrame < now) {
    if (!Sink(Held, Emitted, SinkContext)) {
      SinkFailed = true;
      QuitRequested = 1;
    }
    Emitted++;
  }
}

// The window asked for with "/w" is a little taller than the frame: its size
// is the outer one and leaves room for a caption. The virtual window has no
// caption, so the frame sits at its top left with spare rows below.
void OnPresent(const uint32_t* pixels, uint32_t width, uint32_t height, uint64_t now) {
  EmitUntil(now);
  if (width < FrameWidth || height < FrameHeight) {
    WrongSize = true;
    return;
  }
  for (uint32_t y = 0; y < FrameHeight; y++) {
    std::memcpy(Held + y * FrameWidth, pixels + static_cast<size_t>(y) * width, FrameWidth * sizeof(uint32_t));
  }
}

// Why start-up stopped, in the words of the exit-code table.
std::string StartError(uint32_t code) {
  const char* meaning = ExitCodeMeaning(code);
  return "start-up ended with exit code " + std::to_string(code) + ": " +
         (meaning != nullptr ? meaning : "a code the presentation does not use");
}

}  // namespace

uint64_t ExpectedFrames(uint32_t fps) {
  constexpr uint64_t FadeMs = uint64_t{FadeLevelNormal} * PictureFadePeriod;
  uint64_t ms = 4 * FadeMs + OpeningHold + ClosingHold + FinalHold +
                uint64_t{ScrollerFadeOutEnd} * 1000 / VirtualSampleRate;
  // Each fade ends on the pass after its last step, and each row is
  // entered a pass before it draws: about two frames per row.
  return ms * fps / 1000 + 2 * SceneRowCount;
}

RenderResult RenderPresentation(const char* programPath, uint32_t fps, FrameSink sink, void* context) {
  RenderResult result{};
  Sink = sink;
  SinkContext = context;
  VirtualSetCommandLine(CaptureCommandLine);
  VirtualMapFile(ProgramFileName, programPath);
  VirtualSetFrameRate(fps);
  VirtualSetPresentHook(OnPresent);

  bool started = PlayPresentation();
  // Without the process exit, so the capture can finish.
  StopPresentation();
  EmitUntil(VirtualNow());

  VirtualMusic music = VirtualMusicState();
  result.frames = Emitted;
  result.musicPlayed = music.played;
  result.musicStart = music.playedAt;
  result.music = music.data;
  result.musicLength = music.length;
  if (!started) {
    result.error = StartError(SystemError);
  } else if (WrongSize) {
    result.error = "the window is smaller than the frame";
  } else if (SinkFailed) {
    result.error = "the frame output failed";
  } else {
    result.ok = true;
  }
  return result;
}
