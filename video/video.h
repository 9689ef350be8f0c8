// The video device: the demo window, the display mode, the frame buffer and
// its presentation.
#pragma once
#include "platform/plat_window.h"

#include <cstdint>

// Mode requests: a window on the desktop, the automatic choice of a full-screen
// depth, or (any positive value) that depth in bits per pixel.
constexpr int32_t ModeWindow = -1;
constexpr int32_t ModeAutomatic = 0;

constexpr uint32_t PresentWindowCopy = 0x444942;     // 'DIB'
constexpr uint32_t PresentSurfaceCopy = 0x44584458;  // 'XDXD'

void SetWindowTitle(const char* title);

// The procedure the demo window's class gets; the platform's default handling
// until start-up hands over its own. Takes effect at the next open.
void SetWindowProcedure(PlatWindowProcedure procedure);

// False after recording SystemError 1, 2 or 5.
bool OpenVideo(uint32_t width, uint32_t height, int32_t modeRequest);
// As OpenVideo, with the primary-surface presentation. It completes the
// video device's interface: nothing in this program calls it; the tests do.
bool OpenVideoSurface(uint32_t width, uint32_t height, int32_t modeRequest);
void CloseVideo();

// What the last automatic choice found (0 and 0 if none ran). It completes
// the service layer's interface: nothing in this program calls it; the
// tests do.
struct ChosenMode {
  uint32_t depth;
  uint32_t refresh;
};
ChosenMode QueryChosenMode();

// Handle of the demo window, 0 while there is none (handed to the sound library).
uintptr_t VideoWindow();

// The pixel memory of the frame, or null after recording SystemError 4.
uint32_t* CreateFrameBuffer(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
void PresentFrame();
// Gives the frame's memory device context back to the window. The pixel
// memory itself is never given back: it lasts until the process ends.
void ReleaseFrameContext();

// A stretched copy of the whole frame onto (0, 0) of the given device context,
// width x height pixels. It completes the presentation's interface: neither
// PresentFrame nor anything else in this program calls it; the tests do.
void StretchFrame(uintptr_t destination, uint32_t width, uint32_t height);
