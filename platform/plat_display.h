// The full-screen display service: exclusive use of the screen, the list of
// display modes and the switch between them, the vertical-blank wait and the
// primary surface. It is reached by name through the library loader, as
// "ddraw.dll" with the entry point "DirectDrawCreate", so a machine without
// it is a failed load like any other missing library.
#pragma once
#include <cstdint>

// Results. Every operation returns DD_OK or some other value for failure.
constexpr int32_t DD_OK = 0;
constexpr int32_t DDERR_GENERIC = static_cast<int32_t>(0x80004005);
constexpr int32_t DDERR_INVALIDMODE = static_cast<int32_t>(0x88760078);
constexpr int32_t DDERR_NODIRECTDRAWHW = static_cast<int32_t>(0x887600FF);
constexpr int32_t DDERR_NOEXCLUSIVEMODE = static_cast<int32_t>(0x887600E1);
constexpr int32_t DDERR_SURFACELOST = static_cast<int32_t>(0x887601C2);

// Cooperative levels.
constexpr uint32_t DDSCL_FULLSCREEN = 0x01;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x02;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

// Mode enumeration: offer every refresh rate of a mode as a mode of its own.
constexpr uint32_t DDEDM_REFRESHRATES = 0x01;
// What a mode callback returns to go on with the enumeration.
constexpr int32_t DDENUMRET_OK = 1;

// Which fields of a surface description are valid.
constexpr uint32_t DDSD_CAPS = 0x00001;
constexpr uint32_t DDSD_HEIGHT = 0x00002;
constexpr uint32_t DDSD_WIDTH = 0x00004;
constexpr uint32_t DDSD_PITCH = 0x00008;
constexpr uint32_t DDSD_LPSURFACE = 0x00800;
constexpr uint32_t DDSD_PIXELFORMAT = 0x01000;
constexpr uint32_t DDSD_REFRESHRATE = 0x40000;

constexpr uint32_t DDPF_RGB = 0x40;                    // pixel format: RGB values
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;      // the visible surface
constexpr uint32_t DDWAITVB_BLOCKBEGIN = 0x01;          // wait for a blank to begin
constexpr uint32_t DDLOCK_WAIT = 0x01;                  // wait while the surface is busy
constexpr uint32_t DDLOCK_WRITEONLY = 0x20;

struct PlatPixelFormat {
  uint32_t dwFlags;        // DDPF_ flags
  uint32_t dwRGBBitCount;  // bits per pixel of an RGB format
};

struct PlatSurfaceCaps {
  uint32_t dwCaps;  // DDSCAPS_ flags
};

// A surface description: a display mode when enumerating, the wanted surface
// when creating one, the locked memory after a lock. dwSize holds the size of
// the record; the fields after it are cleared before each use.
struct PlatSurfaceDesc {
  uint32_t dwSize;
  uint32_t dwFlags;        // DDSD_ flags: which fields are valid
  uint32_t dwHeight;
  uint32_t dwWidth;
  int32_t lPitch;          // bytes from one row to the next
  uint32_t dwRefreshRate;  // Hz, 0 for the display's default
  void* lpSurface;         // first byte of the locked memory
  PlatPixelFormat ddpfPixelFormat;
  PlatSurfaceCaps ddsCaps;
};

// Called once per mode offered; returns DDENUMRET_OK to go on.
using PlatModeCallback = int32_t (*)(PlatSurfaceDesc* mode, void* context);

struct PlatDisplay;
struct PlatDisplaySurface;

// The display object's operations. Each takes the object first.
struct PlatDisplayOps {
  // Called by OpenVideo with the demo window and DDSCL_FULLSCREEN |
  // DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT: the window takes the whole screen
  // for itself. Examined: anything but DD_OK fails the open.
  int32_t (*SetCooperativeLevel)(PlatDisplay* display, uintptr_t window, uint32_t flags);

  // Called by the automatic choice. Offers to the callback each display mode
  // whose fields match those the template marks valid (only the size here).
  // Examined: anything but DD_OK fails the choice.
  int32_t (*EnumDisplayModes)(PlatDisplay* display, uint32_t flags, PlatSurfaceDesc* pattern,
                              void* context, PlatModeCallback callback);

  // Called by OpenVideo. Switches the display to width x height at the given
  // bits per pixel. Examined: anything but DD_OK fails the open.
  int32_t (*SetDisplayMode)(PlatDisplay* display, uint32_t width, uint32_t height,
                            uint32_t bitsPerPixel);

  // Called by CloseVideo after a successful switch: the desktop as it was.
  // Not examined.
  int32_t (*RestoreDisplayMode)(PlatDisplay* display);

  // Called by PresentFrame in full screen before each copy, with
  // DDWAITVB_BLOCKBEGIN and no event: the copy that follows is put up in
  // step with the display's refresh. Not examined.
  int32_t (*WaitForVerticalBlank)(PlatDisplay* display, uint32_t flags, void* event);

  // Called by OpenVideoSurface with DDSD_CAPS and DDSCAPS_PRIMARYSURFACE:
  // the visible surface, stored in *surface. Examined: anything but DD_OK
  // fails the open.
  int32_t (*CreateSurface)(PlatDisplay* display, PlatSurfaceDesc* description,
                           PlatDisplaySurface** surface, void* outer);
};

// A surface's operations.
struct PlatSurfaceOps {
  // Called by PresentFrame (surface copy) with no rectangle and DDLOCK_WAIT |
  // DDLOCK_WRITEONLY. Fills lpSurface and lPitch of the description with the
  // whole surface's memory: 32-bit 0x00RRGGBB values. On failure lpSurface
  // stays null, which is what PresentFrame examines.
  int32_t (*Lock)(PlatDisplaySurface* surface, const void* rectangle,
                  PlatSurfaceDesc* description, uint32_t flags, void* event);

  // Called by PresentFrame after the copy: what was written is shown.
  // Not examined.
  int32_t (*Unlock)(PlatDisplaySurface* surface, const void* rectangle);
};

struct PlatDisplay {
  const PlatDisplayOps* ops;
};

struct PlatDisplaySurface {
  const PlatSurfaceOps* ops;
};

// The entry point "DirectDrawCreate", found with PlatModuleSymbol. Called by
// OpenVideo with no device (the primary display) and no outer object; stores
// the display object in *display. Examined: anything but DD_OK means that no
// display can be had for full screen.
using PlatDisplayCreate = int32_t (*)(const void* device, PlatDisplay** display, void* outer);
