// How a backend describes one display mode to the mode list's callback.
#pragma once
#include "platform/plat_display.h"

#include <cstdint>

// An RGB mode of width x height at `depth` bits per pixel, rows packed
// (pitch = width x bytes per pixel), with its refresh rate when not 0.
PlatSurfaceDesc CommonDisplayMode(uint32_t width, uint32_t height, uint32_t depth, uint32_t refresh);
