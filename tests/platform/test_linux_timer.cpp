// The Linux tick thread: how a late wake-up catches up, a callback that
// stalls, and an event killed from its own callback. Built with
// ThreadSanitizer by the test command as well.
#include "platform/linux/timer.h"
#include "platform/plat_system.h"
#include "platform/plat_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

constexpr uint64_t Ms = 1000000;   // nanoseconds

// --- the catch-up rule on given times ------------------------------------

TEST(LinuxTimerCatchUp, BeforeTheDeadlineNothingIsOwed) {
  LinuxCatchUp due = LinuxTimerCatchUp(50 * Ms, 49 * Ms, Ms);
  EXPECT_EQ(due.ticks, 0u);
  EXPECT_EQ(due.deadline, 50 * Ms);
}

TEST(LinuxTimerCatchUp, AWakeUpWithinOneIntervalRunsOneTick) {
  for (uint64_t late : {uint64_t{0}, uint64_t{1}, Ms - 1}) {
    LinuxCatchUp due = LinuxTimerCatchUp(50 * Ms, 50 * Ms + late, Ms);
    EXPECT_EQ(due.ticks, 1u) << late;
    EXPECT_EQ(due.deadline, 51 * Ms) << late;
  }
}

TEST(LinuxTimerCatchUp, MissedTicksRunUpToTheBound) {
  LinuxCatchUp due = LinuxTimerCatchUp(10 * Ms, 12 * Ms + Ms / 2, Ms);
  EXPECT_EQ(due.ticks, 3u);
  EXPECT_EQ(due.deadline, 13 * Ms);

  // The last deadline that still runs every missed tick.
  uint64_t start = 10 * Ms;
  due = LinuxTimerCatchUp(start, start + (LinuxTimerCatchUpBound - 1) * Ms, Ms);
  EXPECT_EQ(due.ticks, LinuxTimerCatchUpBound);
  EXPECT_EQ(due.deadline, start + LinuxTimerCatchUpBound * Ms);
}

TEST(LinuxTimerCatchUp, BeyondTheBoundTheRestIsDroppedOnTheSameGrid) {
  const uint64_t start = 7 * Ms + 3;   // the grid: start + k intervals
  const uint64_t interval = 3 * Ms;
  for (uint64_t behind : {LinuxTimerCatchUpBound, LinuxTimerCatchUpBound + 1, uint64_t{1000000}}) {
    for (uint64_t within : {uint64_t{0}, uint64_t{1}, interval - 1}) {
      uint64_t now = start + behind * interval + within;
      LinuxCatchUp due = LinuxTimerCatchUp(start, now, interval);
      EXPECT_EQ(due.ticks, LinuxTimerCatchUpBound) << behind << " " << within;
      // The first deadline of the grid after the wake-up.
      EXPECT_EQ(due.deadline, start + (behind + 1) * interval) << behind << " " << within;
      EXPECT_GT(due.deadline, now);
    }
  }
}

// --- the real thread --------------------------------------------------------

// Waits up to five seconds for a flag that another thread sets.
bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 5000 && !flag.load(); i++) {
    PlatSleep(1);
  }
  return flag.load();
}

std::atomic<uint64_t> StallCalls{0};
std::atomic<bool> Stalled{false};
std::atomic<bool> StallReleased{false};

// The first call holds the thread until the test lets it go.
void StallOnce(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  if (StallCalls.fetch_add(1) == 0) {
    Stalled = true;
    WaitFor(StallReleased);
  }
}

TEST(LinuxTimer, AfterAStallOnlyTheBoundOfMissedTicksRuns) {
  constexpr uint32_t IntervalMs = 2;
  StallCalls = 0;
  Stalled = false;
  StallReleased = false;
  uint32_t id = PlatTimerSetEvent(IntervalMs, StallOnce);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor(Stalled));
  PlatSleep(1000);   // some 500 ticks missed
  EXPECT_EQ(StallCalls.load(), 1u);

  uint64_t released = PlatClockNanoseconds();
  StallReleased = true;
  PlatSleep(100);
  // A loaded machine may not have run the burst yet.
  for (int i = 0; i < 5000 && StallCalls.load() < 1 + LinuxTimerCatchUpBound; i++) {
    PlatSleep(1);
  }
  ASSERT_TRUE(PlatTimerKillEvent(id));
  uint64_t stopped = PlatClockNanoseconds();

  uint64_t after = StallCalls.load() - 1;
  uint64_t dueSince = (stopped - released) / (IntervalMs * Ms);
  // The bound in one burst, then the ticks due since the release; every
  // missed tick would be some 500 more. The stalled call may have been the
  // first of a batch that a late wake-up on a loaded machine made (up to one
  // more bound), and that batch runs on once the call returns.
  EXPECT_GE(after, LinuxTimerCatchUpBound);
  EXPECT_LE(after, 2 * LinuxTimerCatchUpBound + dueSince);
}

std::atomic<uint64_t> SelfKillCalls{0};
std::atomic<bool> SelfKilled{false};
std::atomic<bool> SelfKillResult{false};
std::atomic<bool> RecordsRefilled{false};
std::atomic<uint64_t> OtherCalls{0};

// The third call kills its own event, then stays in the callback until the
// test has set new events, so its record can be taken meanwhile.
void KillsItselfOnTheThirdCall(uint32_t timerId, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  if (SelfKillCalls.fetch_add(1) + 1 != 3) {
    return;
  }
  SelfKillResult = PlatTimerKillEvent(timerId);
  SelfKilled = true;
  WaitFor(RecordsRefilled);
}

void CountOther(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) { OtherCalls.fetch_add(1); }

// Sets events until one is refused; their identifiers.
std::vector<uint32_t> SetAllEvents() {
  std::vector<uint32_t> ids;
  for (int i = 0; i < 64; i++) {
    uint32_t id = PlatTimerSetEvent(5, CountOther);
    if (id == 0) {
      break;
    }
    ids.push_back(id);
  }
  return ids;
}

TEST(LinuxTimer, AnEventKilledFromItsOwnCallbackNeverRunsAgain) {
  std::vector<uint32_t> all = SetAllEvents();
  ASSERT_FALSE(all.empty());
  for (uint32_t id : all) {
    ASSERT_TRUE(PlatTimerKillEvent(id));
  }
  const size_t room = all.size();

  uint32_t id = PlatTimerSetEvent(5, KillsItselfOnTheThirdCall);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor(SelfKilled));
  EXPECT_TRUE(SelfKillResult.load());
  EXPECT_FALSE(PlatTimerKillEvent(id)) << "the event is gone";

  // Its record is free at once, while its callback has not yet returned.
  std::vector<uint32_t> refilled = SetAllEvents();
  EXPECT_EQ(refilled.size(), room);
  RecordsRefilled = true;
  for (int i = 0; i < 5000 && OtherCalls.load() < 20 * room; i++) {
    PlatSleep(1);
  }
  EXPECT_GE(OtherCalls.load(), 20 * room) << "the new events run";
  EXPECT_EQ(SelfKillCalls.load(), 3u) << "the killed event ran on in a reused record";
  for (uint32_t other : refilled) {
    EXPECT_TRUE(PlatTimerKillEvent(other));
  }
  uint64_t calls = OtherCalls.load();
  PlatSleep(20);
  EXPECT_EQ(OtherCalls.load(), calls) << "killed from another thread, nothing runs after";
}

}  // namespace
