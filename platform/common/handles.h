// The handle ranges every backend hands out: each kind of handle is a small
// number in a range of its own, so a device context, a bitmap or a stale
// number never passes for a window, and 0 is never a handle.
#pragma once
#include <cstdint>

constexpr uintptr_t CommonWindowBase = 0x100;     // windows
constexpr uintptr_t CommonWindowDCBase = 0x1000;  // their device contexts
constexpr uintptr_t CommonMemoryDCBase = 0x2000;  // memory device contexts
constexpr uintptr_t CommonBitmapBase = 0x3000;    // bitmaps
