// The demo script: the scene table and the routines its rows name.
#pragma once
#include <cstdint>

#include "timing/sequencer.h"

constexpr uint32_t SceneRowCount = 8;   // rows before the terminator

// End marks, in music samples.
constexpr uint32_t EndByFrame = 0x10000000;        // beyond the music: the frame routine ends the row
constexpr uint32_t MusicStartEnd = 0x00010000;     // first cue: the scroller begins
constexpr uint32_t FlickerEnd = 0x0052C000;        // second cue: the scroller fades out
constexpr uint32_t ScrollerFadeOutEnd = 0x00540200; // third cue: the closing picture

// Timer slots and their periods in ticks.
constexpr uint32_t PictureSlot = 1;      // picture fades, then the scroll
constexpr uint32_t FlickerSlot = 2;      // the scroller's flicker and fades
constexpr uint32_t PictureFadePeriod = 32;
constexpr uint32_t ScrollPeriod = 42;
constexpr uint32_t FlickerPeriod = 128;
constexpr uint32_t ScrollerFadeOutPeriod = 8;

// Holds after the picture fades, in milliseconds.
constexpr uint32_t OpeningHold = 3000;
constexpr uint32_t ClosingHold = 2000;
constexpr uint32_t FinalHold = 1000;

// Eight rows and the terminator.
extern const SceneEntry SceneTable[SceneRowCount + 1];

// The routines of the rows.
void EnterFadeIn();
bool OpeningFadeInFrame();
void LeaveFade();
void EnterFadeOut();
bool OpeningFadeOutFrame();
void EnterMusic();
bool IdleFrame();   // row 2's frame: draws nothing, never done
void Idle();        // row 2's leave
void EnterScroller();
bool ScrollerFadeInFrame();
void LeaveFlicker();
void EnterFlicker();
bool ScrollerFrame();   // ShowScroller as a frame routine: never done
void EnterScrollerFadeOut();
void LeaveScroller();
bool ClosingFadeInFrame();
bool ClosingFadeOutFrame();

// The 16-bit seed of the scroller's flicker, taken from the clock.
uint16_t ScrollerSeed();
