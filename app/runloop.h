// The frame loop: one scene step, one present and at most one window
// message per pass, until a quit gesture or the end of the scene table.
#pragma once
#include <cstdint>

// When not 0 the loop neither steps nor presents while the window lacks the
// focus. Fixed at build time; this system keeps running in the background.
constexpr uint32_t PauseWhenInactive = 0;

// Called once per pass instead of the sequencer when installed; it ends the
// loop by setting QuitRequested. Nothing in this system installs one.
extern void (*FrameHook)();

// Runs passes until QuitRequested is not 0 at the end of one.
void RunLoop();

// The same loop with the inactive-pause flag given, so both settings can be
// exercised; RunLoop passes PauseWhenInactive. It completes the run loop's
// interface: nothing else in this program calls it; the tests do.
void RunLoopPausing(uint32_t pauseWhenInactive);
