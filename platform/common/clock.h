// The POSIX monotonic clock, read by a backend's clock and by its timer,
// and the one wait on it.
#pragma once
#include <cstdint>

// Nanoseconds from an arbitrary origin; never goes back.
uint64_t CommonMonotonicNanoseconds();

// Suspends the calling thread until the monotonic clock reaches `when`
// (nanoseconds on the same origin); a signal does not cut the wait short.
void CommonSleepUntil(uint64_t when);
