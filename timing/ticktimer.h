// The tick timer: eight slots whose routines run on the timer's own thread
// every `period` ticks of one millisecond.
#pragma once
#include <atomic>
#include <cstdint>

constexpr uint32_t TimerSlotCount = 8;
// The resolution start-up asks the timer for, in the unit the request
// takes (ms): 16,384 ms is far coarser than a tick, so the request only
// passes the capability check and leaves the system's timer as it was; the
// tick's length is TickInterval.
constexpr uint32_t TickResolution = 16384;
constexpr uint32_t TickInterval = 1;         // ms per tick

using SlotRoutine = void (*)();

// One slot. Armed with `active` written last (release), disarmed with it
// cleared first; the tick reads it first (acquire).
struct TimerSlot {
  std::atomic<uint32_t> active;
  std::atomic<SlotRoutine> routine;
  std::atomic<uint32_t> period;
  std::atomic<uint32_t> countdown;
};
extern TimerSlot TimerSlots[TimerSlotCount];

// False when the capability check, the resolution request or the start of
// the periodic event fails; a refused event gives the resolution back.
bool StartTickTimer(uint32_t resolution, uint32_t interval);
void StopTickTimer();

void ArmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine);
void DisarmTimerSlot(uint32_t index);
// Restarts an armed slot with a new period and routine; an inactive one is
// left alone. It completes the tick timer's interface: the scene routines
// arm and disarm only, so nothing in this program calls it; the tests do.
void RearmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine);

// One tick: walks the slots. Given to the platform timer; tests call it directly.
void TickRoutine(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t reserved1,
                 uintptr_t reserved2);
