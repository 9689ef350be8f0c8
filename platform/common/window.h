// The one window of a backend that keeps it in memory (virtual, web): the
// window, class and message routines of plat_window.h and the copies into
// the window of plat_bitmap.h are defined here. The window's handle is
// CommonWindowBase, its device context's CommonWindowDCBase
// (common/handles.h). The backend says where messages come from and where
// pictures go through the hooks below.
#pragma once
#include "platform/common/bitmap.h"

#include <cstdint>

constexpr int32_t CommonWindowLargestSide = 4096;   // pixels; larger windows are refused

// Hooks the backend defines.
// Takes the next pending input message for the window, if any.
bool CommonWindowTakeMessage(uint32_t* message, uint32_t* wParam);
// A copy into the window of `width` x `height` pixels (as created): clips
// and shows it; false when nothing of it could be shown.
bool CommonWindowPresent(const CommonImage& image, const CommonStretch& copy, int32_t width, int32_t height);
// The pointer shows (true) or hides over the window.
void CommonWindowPointer(bool shown);
