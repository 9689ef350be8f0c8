// The fake periodic timer: records the calls, answers as the test scripted,
// and fires ticks only when the test asks for them.
#pragma once
#include <cstdint>

// What the next calls answer; FakeReset restores the defaults (capabilities
// 1..1,000,000 ms, every request granted, kills succeed).
void FakeTimerSetCaps(bool ok, uint32_t periodMin, uint32_t periodMax);
void FakeTimerSetBeginPeriodResult(bool ok);
void FakeTimerSetEventResult(uint32_t eventId);   // 0: the event does not start

// True while an event is set and not killed.
bool FakeTimerRunning();
// Calls the running event's callback `count` times (nothing when stopped).
void FakeTimerTick(uint64_t count);
// Callbacks fired since the reset.
uint64_t FakeTimerTicks();
