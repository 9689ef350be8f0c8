// The size of the one frame everything is drawn into, which every display
// mode, window, canvas and captured video is asked for around. The build
// reads it from here for the page (qz_base_column).
#pragma once
#include <cstdint>

constexpr uint32_t FrameWidth = 320;
constexpr uint32_t FrameHeight = 240;
constexpr uint32_t FramePixels = FrameWidth * FrameHeight;     // 76,800

// A window on the desktop is asked for this many rows taller than the
// frame: its size is the outer one, and on the desktop of the year 2000 the
// caption and borders took these rows around a frame-sized client area.
constexpr uint32_t FrameWindowCaptionRows = 16;
