// The video device's state, shared by its two halves: the window and display
// mode (window.cpp) and the frame buffer and its presentation (frame.cpp).
// Nothing outside video/ includes this.
#pragma once
#include "platform/plat_display.h"
#include "platform/plat_module.h"
#include "platform/plat_window.h"

#include <cstdint>

struct VideoDeviceState {
  uint32_t width;                      // requested width: window's outer width, display width
  uint32_t height;                     // requested height, likewise
  int32_t modeRequest;                 // ModeWindow, ModeAutomatic or bits per pixel
  uint32_t presentTag;                 // PresentWindowCopy or PresentSurfaceCopy
  uintptr_t instance;                  // the program's instance
  uintptr_t window;                    // the demo window; 0 until made
  uintptr_t windowDC;                  // the window's device context, kept for the run
  PlatModule displayLibrary;           // PlatDisplayLibraryName once loaded; never unloaded
  PlatDisplayCreate displayCreate;     // its PlatDisplayCreateName
  PlatDisplay* display;                // the display object; never released
  PlatDisplaySurface* primarySurface;  // surface copy in full screen only
  uint32_t bestDepth;                  // deepest RGB depth the automatic choice found
  uint32_t bestRefresh;                // highest refresh among modes of that depth
  bool switchSucceeded;                // a mode switch returned DD_OK: restore at close
  const char* windowTitle;             // "QZ" until SetWindowTitle
  PlatWindowClass windowClass;         // the class record of the demo window
  uint32_t windowStyle;                // full-screen style unless the request is a window
  PlatSurfaceDesc surfaceDescription;  // shared by mode choice, surface creation and lock
};

extern VideoDeviceState VideoDevice;

// Clears every byte of the shared surface description after its dwSize.
void ClearSurfaceDescription();
