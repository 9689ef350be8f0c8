// The tick timer: eight slots whose routines run on the timer's own thread
// every `period` ticks of one millisecond.
#pragma once
#include <atomic>
#include <cstdint>

constexpr uint32_t TimerSlotCount = 8;
constexpr uint32_t TickResolution = 16384;   // ms, as start-up requests it
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

// False when the capability check or the resolution request fails.
bool StartTickTimer(uint32_t resolution, uint32_t interval);
void StopTickTimer();

void ArmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine);
void DisarmTimerSlot(uint32_t index);
void RearmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine);

// One tick: walks the slots. Given to the platform timer; tests call it directly.
void TickRoutine(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t reserved1,
                 uintptr_t reserved2);
