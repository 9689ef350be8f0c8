// The periodic tick: capabilities, resolution requests and one periodic
// callback on a thread of its own.
#pragma once
#include <cstdint>

// The five values every periodic callback receives; the tick ignores them.
using PlatTimerCallback = void (*)(uint32_t timerId, uint32_t message, uintptr_t user,
                                   uintptr_t reserved1, uintptr_t reserved2);

// Called by StartTickTimer.
// Fills the smallest and largest resolution the timer accepts, in
// milliseconds. Returns false when they cannot be had.
bool PlatTimerCaps(uint32_t* periodMin, uint32_t* periodMax);

// Called by StartTickTimer; false when the resolution is refused.
bool PlatTimerBeginPeriod(uint32_t resolution);

// Called by StopTickTimer to give the resolution back.
void PlatTimerEndPeriod(uint32_t resolution);

// Called by StartTickTimer.
// Starts calling `callback` every `interval` milliseconds on a thread of its
// own until killed. Returns the event identifier, 0 when it could not start.
uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback);

// Called by StopTickTimer; waits until the callback can no longer run.
// Returns false when the identifier names no running event.
bool PlatTimerKillEvent(uint32_t eventId);
