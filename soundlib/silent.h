// Which output the mixer feeds, shared by the entry points (core.cpp) and
// the silent output with its watch over the device (silent.cpp).
#pragma once

// Opens the system's device at `rate`; without one, says so once per
// process and starts the silent output, which keeps time from now. False
// when neither runs (no device, and no thread for the silent output).
bool SoundOutputsStart(int rate);

// Stops whichever output runs; returns once SoundMix is no longer called.
void SoundOutputsStop();

// Called by SoundMix before each call's blocks: the time a silent output
// carries on from should the device go away.
void SoundOutputsNoteMix();
