// The slots with a real second thread: the Linux periodic timer, and a
// thread that runs ticks back to back, racing arm and disarm on the main
// thread. Built with ThreadSanitizer by the test command as well.
#include "platform/plat_system.h"
#include "timing/ticktimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr uint32_t Slots = TimerSlotCount;

// Per slot: set by the main thread once DisarmTimerSlot has returned and
// cleared when it arms again; a call that finds it set is a call of a
// routine that a finished disarm had cleared.
std::atomic<bool> Disarmed[Slots];
std::atomic<uint64_t> CallsOf[Slots];
std::atomic<uint64_t> LateCalls{0};

template <uint32_t N>
void Counted() {
  if (Disarmed[N].load(std::memory_order_seq_cst)) {
    LateCalls.fetch_add(1, std::memory_order_relaxed);
  }
  CallsOf[N].fetch_add(1, std::memory_order_relaxed);
}

template <uint32_t... N>
constexpr SlotRoutine RoutinesFor(uint32_t i, std::integer_sequence<uint32_t, N...>) {
  constexpr SlotRoutine table[] = {Counted<N>...};
  return table[i];
}
SlotRoutine RoutineOf(uint32_t i) {
  return RoutinesFor(i, std::make_integer_sequence<uint32_t, Slots>{});
}

void ResetCounts() {
  for (uint32_t i = 0; i < Slots; i++) {
    Disarmed[i] = false;
    CallsOf[i] = 0;
  }
  LateCalls = 0;
}

uint64_t TotalCalls() {
  uint64_t n = 0;
  for (uint32_t i = 0; i < Slots; i++) {
    n += CallsOf[i].load();
  }
  return n;
}

// Arms and disarms every slot `rounds` times with period 1, so a tick is
// due on every slot whenever the other thread gets there.
void HammerSlots(int rounds) {
  for (int r = 0; r < rounds; r++) {
    uint32_t i = static_cast<uint32_t>(r) % Slots;
    Disarmed[i].store(false, std::memory_order_seq_cst);
    ArmTimerSlot(i, 1, RoutineOf(i));
    // Hold the slot armed for a varying while, so disarms land at every
    // point of the other thread's walk.
    for (int spin = 0; spin < (r % 97) * 8; spin++) {
      std::atomic_signal_fence(std::memory_order_seq_cst);
    }
    DisarmTimerSlot(i);
    Disarmed[i].store(true, std::memory_order_seq_cst);
  }
}

TEST(TickTimerThreads, DisarmNeverLetsATickCallTheClearedRoutine) {
  ResetCounts();
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> ticks{0};
  std::thread ticker([&stop, &ticks] {
    while (!stop.load(std::memory_order_relaxed)) {
      TickRoutine(0, 0, 0, 0, 0);
      ticks.fetch_add(1, std::memory_order_relaxed);
    }
  });
  while (ticks.load() == 0) {
    std::this_thread::yield();
  }
  // Until both sides have done plenty, within a bound on the rounds.
  for (int batch = 0; batch < 2000 && (ticks.load() < 1000000 || TotalCalls() < 100000); batch++) {
    HammerSlots(1000);
  }
  stop = true;
  ticker.join();
  EXPECT_EQ(LateCalls.load(), 0u);
  // The race was real: the ticker did reach armed slots.
  EXPECT_GE(TotalCalls(), 100000u);
}

TEST(TickTimerThreads, LinuxTimerRunsSlotsWhileTheMainThreadArmsAndDisarms) {
  ResetCounts();
  ASSERT_TRUE(StartTickTimer(TickResolution, TickInterval));

  // A slot left armed keeps counting on the timer's thread.
  Disarmed[7] = false;
  ArmTimerSlot(7, 1, RoutineOf(7));
  for (int wait = 0; wait < 5000 && CallsOf[7].load() < 20; wait++) {
    PlatSleep(1);
  }
  EXPECT_GE(CallsOf[7].load(), 20u);

  for (int round = 0; round < 200; round++) {
    HammerSlots(7 * 50);
    PlatSleep(round % 3);
  }
  DisarmTimerSlot(7);
  Disarmed[7] = true;
  StopTickTimer();
  EXPECT_EQ(LateCalls.load(), 0u);

  // Stopped: nothing runs any more, even on an armed slot.
  uint64_t before = TotalCalls();
  Disarmed[0] = false;
  ArmTimerSlot(0, 1, RoutineOf(0));
  PlatSleep(20);
  EXPECT_EQ(TotalCalls(), before);
  DisarmTimerSlot(0);
}

}  // namespace
