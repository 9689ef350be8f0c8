// The fake periodic timer. Recorded calls: "TimerCaps", "TimerBeginPeriod"
// (resolution), "TimerEndPeriod" (resolution), "TimerSetEvent" (interval,
// event id), "TimerKillEvent" (event id, result).
#include "tests/fake/fake_timer.h"

#include "platform/plat_timer.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"

namespace {

constexpr uint32_t DefaultEventId = 17;

bool CapsOk = true;
uint32_t CapsMin = 1;
uint32_t CapsMax = 1000000;
bool BeginPeriodOk = true;
uint32_t SetEventResult = DefaultEventId;

PlatTimerCallback Callback = nullptr;   // the running event's callback
uint32_t RunningId = 0;                 // 0 while no event runs
uint64_t Fired = 0;

void ResetTimer() {
  CapsOk = true;
  CapsMin = 1;
  CapsMax = 1000000;
  BeginPeriodOk = true;
  SetEventResult = DefaultEventId;
  Callback = nullptr;
  RunningId = 0;
  Fired = 0;
}

FakeResetRegistration Registration(ResetTimer);

}  // namespace

void FakeTimerSetCaps(bool ok, uint32_t periodMin, uint32_t periodMax) {
  CapsOk = ok;
  CapsMin = periodMin;
  CapsMax = periodMax;
}

void FakeTimerSetBeginPeriodResult(bool ok) { BeginPeriodOk = ok; }
void FakeTimerSetEventResult(uint32_t eventId) { SetEventResult = eventId; }
bool FakeTimerRunning() { return RunningId != 0; }
uint64_t FakeTimerTicks() { return Fired; }

void FakeTimerTick(uint64_t count) {
  for (uint64_t i = 0; i < count && RunningId != 0; i++) {
    Fired++;
    Callback(RunningId, 0, 0, 0, 0);
  }
}

bool PlatTimerCaps(uint32_t* periodMin, uint32_t* periodMax) {
  FakeRecord("TimerCaps");
  if (!CapsOk) {
    return false;
  }
  *periodMin = CapsMin;
  *periodMax = CapsMax;
  return true;
}

bool PlatTimerBeginPeriod(uint32_t resolution) {
  FakeLog(FakeTimerBeginPeriodCall{resolution});
  return BeginPeriodOk;
}

void PlatTimerEndPeriod(uint32_t resolution) { FakeLog(FakeTimerEndPeriodCall{resolution}); }

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  FakeLog(FakeTimerSetEventCall{interval, SetEventResult});
  if (SetEventResult != 0) {
    RunningId = SetEventResult;
    Callback = callback;
  }
  return SetEventResult;
}

bool PlatTimerKillEvent(uint32_t eventId) {
  bool ok = eventId != 0 && eventId == RunningId;
  FakeLog(FakeTimerKillEventCall{eventId, ok ? 1 : 0});
  if (ok) {
    RunningId = 0;
    Callback = nullptr;
  }
  return ok;
}
