// Waiting inside a scene routine.
#pragma once
#include <cstdint>

// Suspends the calling thread; the tick timer and the music go on.
void Pause(uint32_t milliseconds);
