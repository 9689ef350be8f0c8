// The tick timer: one periodic platform event whose callback walks eight
// slots once per tick and calls the routines whose countdown runs out.
#include "timing/ticktimer.h"

#include "platform/plat_timer.h"

#include <thread>

// The slots, shared with the tick thread. Every field is one atomic word.
TimerSlot TimerSlots[TimerSlotCount];

namespace {

// Resolution range as the platform reports it; signed, as it is compared.
struct TimerCaps {
  uint32_t periodMin;
  uint32_t periodMax;
};

// State of the tick timer, one instance; only the main thread touches it.
TimerCaps Caps;              // filled by StartTickTimer
uint32_t Resolution = 0;     // ms; requested at start, given back at stop
uint32_t Interval = 0;       // ms; the length of one tick
uint32_t EventId = 0;        // the platform event, for StopTickTimer

// The slot the tick is working on, index + 1, or 0 between slots. The tick
// publishes it before it reads the slot's active field; a disarm clears
// active and then waits while the tick is inside that slot. Both sides use
// sequentially consistent operations, so either the tick sees active 0 or
// the disarm sees the tick in the slot and waits for it to leave: once
// DisarmTimerSlot returns, the routine it cleared is neither running nor
// about to run.
std::atomic<uint32_t> ServingSlot{0};

// True on the thread that is inside TickRoutine: a slot routine that
// disarms its own slot must not wait for itself.
thread_local bool InsideTick = false;

void ClearSlot(TimerSlot& slot) {
  slot.active.store(0, std::memory_order_seq_cst);
  slot.routine.store(nullptr, std::memory_order_relaxed);
  slot.period.store(0, std::memory_order_relaxed);
  slot.countdown.store(0, std::memory_order_relaxed);
}

// Waits until the tick has left slot `index`. Slot routines are a few
// instructions long, so this is at most a short spin.
void WaitForTickToLeave(uint32_t index) {
  if (InsideTick) {
    return;
  }
  while (ServingSlot.load(std::memory_order_seq_cst) == index + 1) {
    std::this_thread::yield();
  }
}

}  // namespace

bool StartTickTimer(uint32_t resolution, uint32_t interval) {
  Resolution = resolution;
  Interval = interval;
  for (TimerSlot& slot : TimerSlots) {
    ClearSlot(slot);
  }
  if (!PlatTimerCaps(&Caps.periodMin, &Caps.periodMax)) {
    return false;
  }
  int32_t wanted = static_cast<int32_t>(Resolution);
  if (wanted < static_cast<int32_t>(Caps.periodMin) ||
      wanted > static_cast<int32_t>(Caps.periodMax)) {
    return false;
  }
  if (!PlatTimerBeginPeriod(Resolution)) {
    return false;
  }
  // An event that does not start would leave the presentation without a
  // tick, a black screen that ends with 0: it fails the start instead.
  EventId = PlatTimerSetEvent(Interval, TickRoutine);
  if (EventId == 0) {
    PlatTimerEndPeriod(Resolution);
    return false;
  }
  return true;
}

void StopTickTimer() {
  if (!PlatTimerKillEvent(EventId)) {
    return;
  }
  PlatTimerEndPeriod(Resolution);
}

void ArmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine) {
  if (index >= TimerSlotCount) {
    return;
  }
  TimerSlot& slot = TimerSlots[index];
  // Re-arming an armed slot first takes it out of the tick's hands, so the
  // old routine cannot run once the new one is in place.
  if (slot.active.load(std::memory_order_relaxed) != 0) {
    slot.active.store(0, std::memory_order_seq_cst);
    WaitForTickToLeave(index);
  }
  slot.countdown.store(period, std::memory_order_relaxed);
  slot.period.store(period, std::memory_order_relaxed);
  slot.routine.store(routine, std::memory_order_relaxed);
  slot.active.store(1, std::memory_order_release);
}

void DisarmTimerSlot(uint32_t index) {
  if (index >= TimerSlotCount) {
    return;
  }
  TimerSlot& slot = TimerSlots[index];
  slot.active.store(0, std::memory_order_seq_cst);
  WaitForTickToLeave(index);
  slot.routine.store(nullptr, std::memory_order_relaxed);
  slot.period.store(0, std::memory_order_relaxed);
  slot.countdown.store(0, std::memory_order_relaxed);
}

void RearmTimerSlot(uint32_t index, uint32_t period, SlotRoutine routine) {
  if (index >= TimerSlotCount) {
    return;
  }
  TimerSlot& slot = TimerSlots[index];
  if (slot.active.load(std::memory_order_acquire) != 1) {
    return;
  }
  slot.countdown.store(period, std::memory_order_relaxed);
  slot.period.store(period, std::memory_order_relaxed);
  slot.routine.store(routine, std::memory_order_relaxed);
}

void TickRoutine(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  InsideTick = true;
  for (uint32_t i = 0; i < TimerSlotCount; i++) {
    TimerSlot& slot = TimerSlots[i];
    ServingSlot.store(i + 1, std::memory_order_seq_cst);
    if (slot.active.load(std::memory_order_seq_cst) != 1) {
      continue;
    }
    uint32_t left = slot.countdown.load(std::memory_order_relaxed) - 1;
    if (left != 0) {
      slot.countdown.store(left, std::memory_order_relaxed);
      continue;
    }
    // Reloaded before the call, so a routine that arms or disarms its own
    // slot takes effect from the next tick. The routine is read once; a
    // concurrent disarm of another thread cannot get past us to clear it.
    slot.countdown.store(slot.period.load(std::memory_order_relaxed), std::memory_order_relaxed);
    SlotRoutine routine = slot.routine.load(std::memory_order_relaxed);
    if (routine != nullptr) {
      routine();
    }
  }
  ServingSlot.store(0, std::memory_order_seq_cst);
  InsideTick = false;
}
