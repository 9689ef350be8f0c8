// The tick timer against the fake periodic timer: start and stop, the
// capability check, and the slots counted down by ticks fired by hand.
#include "timing/ticktimer.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_timer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Which routine ran, in order, and on which tick.
std::vector<int> Calls;
uint64_t Now() { return FakeTimerTicks(); }
std::vector<uint64_t> CallTicks;

template <int N>
void Routine() {
  Calls.push_back(N);
  CallTicks.push_back(Now());
}

void ExpectSlotClear(uint32_t i) {
  EXPECT_EQ(TimerSlots[i].active.load(), 0u) << i;
  EXPECT_EQ(TimerSlots[i].routine.load(), nullptr) << i;
  EXPECT_EQ(TimerSlots[i].period.load(), 0u) << i;
  EXPECT_EQ(TimerSlots[i].countdown.load(), 0u) << i;
}

class TickTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    Calls.clear();
    CallTicks.clear();
    ASSERT_TRUE(StartTickTimer(TickResolution, TickInterval));
  }
  void TearDown() override { StopTickTimer(); }
};

TEST(TickTimerStart, AsksCapsThenResolutionThenEventAndClearsSlots) {
  FakeReset();
  ArmTimerSlot(3, 5, Routine<3>);
  ASSERT_TRUE(StartTickTimer(TickResolution, TickInterval));
  for (uint32_t i = 0; i < TimerSlotCount; i++) {
    ExpectSlotClear(i);
  }
  size_t caps = FakeFind("TimerCaps");
  size_t begin = FakeFind("TimerBeginPeriod");
  size_t event = FakeFind("TimerSetEvent");
  ASSERT_LT(event, FakeCallCount());
  EXPECT_LT(caps, begin);
  EXPECT_LT(begin, event);
  EXPECT_EQ(FakeArgsAt<FakeTimerBeginPeriodCall>(begin).resolution, 16384);
  EXPECT_EQ(FakeArgsAt<FakeTimerSetEventCall>(event).interval, 1);
  EXPECT_TRUE(FakeTimerRunning());

  StopTickTimer();
  size_t kill = FakeFind("TimerKillEvent");
  size_t end = FakeFind("TimerEndPeriod");
  ASSERT_LT(end, FakeCallCount());
  EXPECT_LT(kill, end);
  EXPECT_EQ(FakeArgsAt<FakeTimerKillEventCall>(kill).eventId, FakeArgsAt<FakeTimerSetEventCall>(event).eventId);
  EXPECT_EQ(FakeArgsAt<FakeTimerEndPeriodCall>(end).resolution, 16384);
  EXPECT_FALSE(FakeTimerRunning());
}

TEST(TickTimerStart, RefusalsReportFalseWithSlotsClearedAndNoLaterStep) {
  struct Case {
    bool capsOk;
    uint32_t min;
    uint32_t max;
    bool beginOk;
    bool expectBegin;
  };
  const Case cases[] = {
      {false, 1, 1000000, true, false},          // capabilities unreadable
      {true, 16385, 1000000, true, false},       // below the minimum
      {true, 1, 16383, true, false},             // above the maximum
      {true, 1, 0xFFFFFFFF, true, false},        // maximum -1 when signed
      {true, 1, 1000000, false, true},           // resolution refused
  };
  for (const Case& c : cases) {
    FakeReset();
    ArmTimerSlot(0, 1, Routine<0>);
    ArmTimerSlot(7, 9, Routine<7>);
    FakeTimerSetCaps(c.capsOk, c.min, c.max);
    FakeTimerSetBeginPeriodResult(c.beginOk);
    EXPECT_FALSE(StartTickTimer(TickResolution, TickInterval));
    EXPECT_EQ(FakeCount("TimerBeginPeriod"), c.expectBegin ? 1u : 0u);
    EXPECT_EQ(FakeCount("TimerSetEvent"), 0u);
    for (uint32_t i = 0; i < TimerSlotCount; i++) {
      ExpectSlotClear(i);
    }
  }
}

TEST(TickTimerStart, BoundsAreInclusiveAndCompareSigned) {
  FakeReset();
  FakeTimerSetCaps(true, 16384, 16384);
  EXPECT_TRUE(StartTickTimer(TickResolution, TickInterval));
  StopTickTimer();

  // 0x80000000 is negative when signed, so it lies below any positive minimum.
  FakeReset();
  EXPECT_FALSE(StartTickTimer(0x80000000u, TickInterval));
  EXPECT_EQ(FakeCount("TimerBeginPeriod"), 0u);
}

TEST(TickTimerStart, AnEventThatDoesNotStartReportsFalseAndGivesTheResolutionBack) {
  FakeReset();
  FakeTimerSetEventResult(0);
  EXPECT_FALSE(StartTickTimer(TickResolution, TickInterval));
  EXPECT_EQ(FakeCount("TimerEndPeriod"), 1u);
  // Stopping then finds no event and gives nothing back twice.
  StopTickTimer();
  EXPECT_EQ(FakeCount("TimerKillEvent"), 1u);
  EXPECT_EQ(FakeCount("TimerEndPeriod"), 1u);
}

TEST_F(TickTimer, FirstCallOnePeriodAfterArmingThenEveryPeriod) {
  ArmTimerSlot(2, 3, Routine<2>);
  FakeTimerTick(10);
  EXPECT_EQ(CallTicks, (std::vector<uint64_t>{3, 6, 9}));
  EXPECT_EQ(TimerSlots[2].countdown.load(), 2u);
}

TEST_F(TickTimer, PeriodOneRunsEveryTickAndPeriodZeroWraps) {
  ArmTimerSlot(0, 1, Routine<0>);
  ArmTimerSlot(1, 0, Routine<1>);
  FakeTimerTick(5);
  EXPECT_EQ(Calls, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(TimerSlots[1].countdown.load(), 0xFFFFFFFFu - 4);
}

TEST_F(TickTimer, SlotsDueOnTheSameTickRunInIndexOrder) {
  ArmTimerSlot(5, 2, Routine<5>);
  ArmTimerSlot(1, 2, Routine<1>);
  ArmTimerSlot(3, 4, Routine<3>);
  FakeTimerTick(4);
  EXPECT_EQ(Calls, (std::vector<int>{1, 5, 1, 3, 5}));
}

TEST_F(TickTimer, IndexEightOrMoreChangesNoSlot) {
  for (uint32_t bad : {8u, 9u, 0xFFFFFFFFu}) {
    ArmTimerSlot(bad, 1, Routine<9>);
    RearmTimerSlot(bad, 1, Routine<9>);
    DisarmTimerSlot(bad);
  }
  FakeTimerTick(3);
  EXPECT_TRUE(Calls.empty());
  for (uint32_t i = 0; i < TimerSlotCount; i++) {
    ExpectSlotClear(i);
  }
}

TEST_F(TickTimer, ArmingAnArmedSlotReplacesRoutineAndRestartsCount) {
  ArmTimerSlot(4, 3, Routine<1>);
  FakeTimerTick(2);
  ArmTimerSlot(4, 5, Routine<2>);
  FakeTimerTick(5);
  EXPECT_EQ(Calls, (std::vector<int>{2}));
  EXPECT_EQ(CallTicks, (std::vector<uint64_t>{7}));
}

TEST_F(TickTimer, RearmChangesOnlyAnActiveSlot) {
  RearmTimerSlot(6, 2, Routine<6>);
  ExpectSlotClear(6);

  ArmTimerSlot(6, 10, Routine<1>);
  FakeTimerTick(4);
  RearmTimerSlot(6, 2, Routine<6>);
  EXPECT_EQ(TimerSlots[6].active.load(), 1u);
  FakeTimerTick(4);
  EXPECT_EQ(Calls, (std::vector<int>{6, 6}));
  EXPECT_EQ(CallTicks, (std::vector<uint64_t>{6, 8}));
}

TEST_F(TickTimer, DisarmClearsEveryFieldAndStopsTheRoutine) {
  ArmTimerSlot(3, 2, Routine<3>);
  FakeTimerTick(3);
  DisarmTimerSlot(3);
  ExpectSlotClear(3);
  FakeTimerTick(10);
  EXPECT_EQ(Calls, (std::vector<int>{3}));
  DisarmTimerSlot(3);   // again, on an inactive slot
  ExpectSlotClear(3);
}

TEST_F(TickTimer, OnlyActiveExactlyOneIsServiced) {
  ArmTimerSlot(0, 1, Routine<0>);
  TimerSlots[0].active.store(2);
  FakeTimerTick(3);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(TimerSlots[0].countdown.load(), 1u);
}

// A routine that changes its own slot from inside the tick: the countdown
// was reloaded before the call, and the change counts from the next tick.
void DisarmSelf() {
  Calls.push_back(100 + static_cast<int>(TimerSlots[1].countdown.load()));
  DisarmTimerSlot(1);
}
void ArmSelfSlower() {
  Calls.push_back(200 + static_cast<int>(TimerSlots[2].countdown.load()));
  ArmTimerSlot(2, 3, Routine<2>);
}

TEST_F(TickTimer, RoutinesChangingTheirOwnSlotTakeEffectNextTick) {
  ArmTimerSlot(1, 2, DisarmSelf);
  ArmTimerSlot(2, 1, ArmSelfSlower);
  FakeTimerTick(8);
  // Slot 1 ran once (countdown reloaded to 2 before the call), then stopped.
  // Slot 2 ran on tick 1, then its new routine on ticks 4 and 7.
  EXPECT_EQ(Calls, (std::vector<int>{201, 102, 2, 2}));
  ExpectSlotClear(1);
}

TEST_F(TickTimer, AfterStopArmedSlotsKeepTheirFieldsAndDoNotCount) {
  ArmTimerSlot(5, 4, Routine<5>);
  FakeTimerTick(1);
  StopTickTimer();
  FakeTimerTick(10);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(TimerSlots[5].active.load(), 1u);
  EXPECT_EQ(TimerSlots[5].period.load(), 4u);
  EXPECT_EQ(TimerSlots[5].countdown.load(), 3u);
  EXPECT_EQ(TimerSlots[5].routine.load(), &Routine<5>);
}

}  // namespace
