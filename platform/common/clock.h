// The POSIX monotonic clock, read by a backend's clock and by its timer.
#pragma once
#include <cstdint>

// Nanoseconds from an arbitrary origin; never goes back.
uint64_t CommonMonotonicNanoseconds();
