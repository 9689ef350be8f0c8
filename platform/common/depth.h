// The colours a display mode's depth can show, for the backends that show
// a mode's picture on a display of more colours.
#pragma once
#include <cstdint>

constexpr uint32_t CommonChannelValues = 256;

// Fills, for each of red, green and blue (in that order), the value shown
// for each 8-bit value at `depth` bits per pixel: 16 bits keep 5-6-5 bits,
// 15 bits 5-5-5, each spread back over eight bits as such a display does;
// every other depth shows every value as it is.
void CommonDepthLevels(uint32_t depth, uint8_t (*levels)[CommonChannelValues]);

// Whether `depth` shows every 8-bit value as it is, so no table is needed.
bool CommonDepthFullColour(uint32_t depth);
