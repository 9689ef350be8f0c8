// How the Linux tick thread catches up after a late wake-up, apart so that
// tests can give it times of their own.
#pragma once
#include <cstdint>

// A wake-up later than this many ticks runs only this many of the ticks it
// missed and drops the rest, so a stalled machine does not get a burst of
// thousands of fade steps afterwards.
constexpr uint64_t LinuxTimerCatchUpBound = 100;

// What one wake-up at `now` owes a deadline of the grid of `interval`.
struct LinuxCatchUp {
  uint64_t ticks;      // callbacks to run back to back now
  uint64_t deadline;   // the next one: on the same grid, after `now`
};

// Called by the tick thread once `now` has reached `deadline`; a `now`
// before it owes nothing and keeps the deadline. All times in nanoseconds.
LinuxCatchUp LinuxTimerCatchUp(uint64_t deadline, uint64_t now, uint64_t interval);
