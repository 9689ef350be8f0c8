// A plain tree walk over a coded item in memory, one bit per step, with the
// refusals the system's decoder makes. The fast decoder must match it byte
// for byte on every input, well formed or not.
#pragma once
#include <cstdint>

bool ReferenceDecode(const uint8_t* source, uint32_t size, uint8_t* destination, uint32_t room);
