// The demo script: opening picture, music, scroller, closing picture.
#include "demo/script.h"

#include "demo/draw.h"
#include "demo/fade.h"
#include "platform/plat_system.h"
#include "sound/sound.h"
#include "timing/pause.h"
#include "timing/ticktimer.h"

namespace {

// The terminator's routines: all ones, never called.
const auto NoEnter = reinterpret_cast<void (*)()>(~uintptr_t{0});
const auto NoFrame = reinterpret_cast<bool (*)()>(~uintptr_t{0});

}  // namespace

const SceneEntry SceneTable[SceneRowCount + 1] = {
    {EndByFrame, EnterFadeIn, OpeningFadeInFrame, LeaveFade},
    {EndByFrame, EnterFadeOut, OpeningFadeOutFrame, LeaveFade},
    {MusicStartEnd, EnterMusic, IdleFrame, Idle},
    {EndByFrame, EnterScroller, ScrollerFadeInFrame, LeaveFlicker},
    {FlickerEnd, EnterFlicker, ScrollerFrame, LeaveFlicker},
    {ScrollerFadeOutEnd, EnterScrollerFadeOut, ScrollerFrame, LeaveScroller},
    {EndByFrame, EnterFadeIn, ClosingFadeInFrame, LeaveFade},
    {EndByFrame, EnterFadeOut, ClosingFadeOutFrame, LeaveFade},
    {SceneTableEnd, NoEnter, NoFrame, NoEnter},
};

void EnterFadeIn() {
  FadeLevel.store(FadeLevelBlack, std::memory_order_relaxed);
  ArmTimerSlot(PictureSlot, PictureFadePeriod, FadeInStep);
}

bool OpeningFadeInFrame() {
  if (ShowPicture(Pictures.openingPalette, Pictures.openingPicture) != FadeLevelNormal) {
    return false;
  }
  Pause(OpeningHold);
  return true;
}

void LeaveFade() { DisarmTimerSlot(PictureSlot); }

void EnterFadeOut() {
  ArmTimerSlot(PictureSlot, PictureFadePeriod, FadeOutStep);
  FadeLevel.store(FadeLevelNormal, std::memory_order_relaxed);
}

bool OpeningFadeOutFrame() {
  return ShowPicture(Pictures.openingPalette, Pictures.openingPicture) == FadeLevelBlack;
}

void EnterMusic() { SoundPlay(); }

// The frame keeps the last frame of the fade-out, which is black.
bool IdleFrame() { return false; }
void Idle() {}

void EnterScroller() {
  RandomSeed(ScrollerSeed());
  FadeLevel.store(FadeLevelBlack, std::memory_order_relaxed);
  ArmTimerSlot(PictureSlot, ScrollPeriod, ScrollStep);
  ArmTimerSlot(FlickerSlot, FlickerPeriod, FlickerFadeInStep);
}

bool ScrollerFadeInFrame() { return ShowScroller() == FadeLevelNormal; }

// The scroll goes on into the next scene.
void LeaveFlicker() { DisarmTimerSlot(FlickerSlot); }

void EnterFlicker() { ArmTimerSlot(FlickerSlot, FlickerPeriod, FlickerStep); }

bool ScrollerFrame() {
  ShowScroller();
  return false;
}

// FlickerOffset keeps its last value from here on.
void EnterScrollerFadeOut() {
  FadeLevel.store(FadeLevelNormal, std::memory_order_relaxed);
  ArmTimerSlot(FlickerSlot, ScrollerFadeOutPeriod, FadeOutStep);
}

void LeaveScroller() {
  DisarmTimerSlot(FlickerSlot);
  DisarmTimerSlot(PictureSlot);
}

bool ClosingFadeInFrame() {
  if (ShowPicture(Pictures.closingPalette, Pictures.closingPicture) != FadeLevelNormal) {
    return false;
  }
  Pause(ClosingHold);
  return true;
}

bool ClosingFadeOutFrame() {
  if (ShowPicture(Pictures.closingPalette, Pictures.closingPicture) != FadeLevelBlack) {
    return false;
  }
  Pause(FinalHold);
  return true;
}

// Folds the clock into 16 bits: a real run flickers differently each time,
// a virtual clock repeats its pattern.
uint16_t ScrollerSeed() {
  uint64_t now = PlatClockNanoseconds();
  return static_cast<uint16_t>(now ^ (now >> 16) ^ (now >> 32) ^ (now >> 48));
}
