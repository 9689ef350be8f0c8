// DirectDraw behind the system's display record. The library is loaded by
// the system at run time ("ddraw.dll", "DirectDrawCreate"); this adapter
// turns its object's methods into the record's operations and the system's
// surface description into DirectDraw's own, whose size and layout are the
// platform's (120 bytes on 64-bit Windows, with the surface pointer at 40).
//
// Most of today's displays list no 320x240 mode, and none lists 24 bits.
// A mode the display's own list lacks, or whose switch it refuses, is stood
// in for as the Linux layer serves every mode: the window covers its
// monitor at the desktop's own mode and shows the picture scaled up, at the
// colours of the mode's depth. The desktop's mode never changes then.
//
// The system's headers come before <windows.h>: they name the same
// constants, which the Windows headers define as macros.
#include "platform/plat_display.h"

#include "platform/common/display_mode.h"
#include "platform/common/display_service.h"
#include "platform/plat_system.h"
#include "platform/windows/display.h"
#include "platform/windows/screen.h"

#include <cstring>
#include <iterator>
#include <windows.h>
#include <ddraw.h>

namespace {

using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID* device, IDirectDraw** object, IUnknown* outer);

// Where the system's mode callback and its context travel through
// EnumDisplayModes.
struct ModeVisit {
  PlatModeCallback callback;
  void* context;
  bool stopped;  // the callback asked for no more modes
};

// What is on the screen.
enum class ModeKind { None, Real, StandIn };

constexpr uint32_t ModeWidth = FrameWidth;
constexpr uint32_t ModeHeight = FrameHeight;
constexpr uint32_t RealDepthRoom = 16;

// The adapter's state: one display object and one primary surface, the
// most the system makes. Main thread only.
DirectDrawCreateFn RealCreate = nullptr;     // the library's DirectDrawCreate
IDirectDraw* Object = nullptr;               // the real display object; never released
IDirectDrawSurface* Primary = nullptr;       // the real primary surface; never released
HWND ExclusiveWindow = nullptr;              // the window that asked for the screen
DWORD ExclusiveFlags = 0;                    // ... and how; granted with a real mode only
uint32_t RealDepths[RealDepthRoom];          // the depths the display lists for 320x240
uint32_t RealDepthCount = 0;
bool RealDepthsRead = false;
ModeKind Mode = ModeKind::None;
CommonPacer BlankPacer{0};                   // backs a vertical-blank wait that returns at once
uint64_t BlankPeriod = 0;                    // the real mode's refresh period; 0 until read
// The stand-in's primary surface: 32-bit 0x00RRGGBB values at every depth,
// shown at the mode's depth on unlock.
uint32_t SurfaceMemory[ModeWidth * ModeHeight];

// The fields the system reads, between its record and the object's, either
// way; the sizes stay as they are.
template <typename From, typename To>
void CopyFields(const From& from, To* to) {
  to->dwFlags = from.dwFlags;
  to->dwHeight = from.dwHeight;
  to->dwWidth = from.dwWidth;
  to->lPitch = from.lPitch;
  to->dwRefreshRate = from.dwRefreshRate;
  to->lpSurface = from.lpSurface;
  to->ddpfPixelFormat.dwFlags = from.ddpfPixelFormat.dwFlags;
  to->ddpfPixelFormat.dwRGBBitCount = from.ddpfPixelFormat.dwRGBBitCount;
  to->ddsCaps.dwCaps = from.ddsCaps.dwCaps;
}

void ToNative(const PlatSurfaceDesc& from, DDSURFACEDESC* to) {
  std::memset(to, 0, sizeof *to);
  to->dwSize = sizeof *to;
  to->ddpfPixelFormat.dwSize = sizeof to->ddpfPixelFormat;
  CopyFields(from, to);
}

void FromNative(const DDSURFACEDESC& from, PlatSurfaceDesc* to) { CopyFields(from, to); }

HRESULT WINAPI VisitMode(DDSURFACEDESC* mode, void* context) {
  auto* visit = static_cast<ModeVisit*>(context);
  PlatSurfaceDesc offered{};
  offered.dwSize = sizeof offered;
  FromNative(*mode, &offered);
  int32_t next = visit->callback(&offered, visit->context);
  visit->stopped = next != DDENUMRET_OK;
  return next;
}

HRESULT WINAPI NoteRealDepth(DDSURFACEDESC* mode, void*) {
  if ((mode->dwFlags & DDSD_PIXELFORMAT) != 0 && (mode->ddpfPixelFormat.dwFlags & DDPF_RGB) != 0 &&
      RealDepthCount < RealDepthRoom) {
    RealDepths[RealDepthCount++] = mode->ddpfPixelFormat.dwRGBBitCount;
  }
  return DDENUMRET_OK;
}

// The depths the display's own list holds for the 320x240 mode, read once.
void ReadRealDepths() {
  if (RealDepthsRead) {
    return;
  }
  RealDepthsRead = true;
  DDSURFACEDESC pattern{};
  pattern.dwSize = sizeof pattern;
  pattern.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  pattern.dwWidth = ModeWidth;
  pattern.dwHeight = ModeHeight;
  if (Object->EnumDisplayModes(0, &pattern, nullptr, NoteRealDepth) != DD_OK) {
    RealDepthCount = 0;
  }
}

// Whether a switch is worth asking for: the display lists the 320x240
// mode above a palette depth. Where it does, the switch itself decides each
// depth (some are served though unlisted: 15 bits where 16 are).
bool RealSwitchWorthTrying(uint32_t width, uint32_t height) {
  if (width != ModeWidth || height != ModeHeight) {
    return true;  // not a mode the stand-in serves: the display decides
  }
  ReadRealDepths();
  return CommonRealModesUsable(RealDepths, RealDepthCount);
}

WindowsScreen* ExclusiveScreen() { return WindowsFindScreen(ExclusiveWindow); }

// Exclusive use is asked for here and taken with a real mode only: the
// stand-in shares the desktop like any window.
int32_t SetCooperativeLevel(PlatDisplay*, uintptr_t window, uint32_t flags) {
  HWND native = reinterpret_cast<HWND>(window);
  if ((flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) != (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) {
    ExclusiveWindow = nullptr;
    return Object->SetCooperativeLevel(native, flags);
  }
  if (!IsWindow(native)) {
    return DDERR_GENERIC;
  }
  ExclusiveWindow = native;
  ExclusiveFlags = flags;
  return DD_OK;
}

// The display's own modes, then the stand-in's for the 320x240 depths the
// display lacks, at the desktop's refresh rate.
int32_t EnumDisplayModes(PlatDisplay*, uint32_t flags, PlatSurfaceDesc* pattern, void* context,
                         PlatModeCallback callback) {
  DDSURFACEDESC native;
  ModeVisit visit{callback, context, false};
  if (pattern != nullptr) {
    ToNative(*pattern, &native);
  }
  Object->EnumDisplayModes(flags, pattern != nullptr ? &native : nullptr, &visit, VisitMode);
  if (visit.stopped || !CommonModeMatches(pattern, ModeWidth, ModeHeight)) {
    return DD_OK;
  }
  ReadRealDepths();
  uint32_t standIn[std::size(CommonModeDepths)];
  uint32_t count = CommonStandInDepths(RealDepths, RealDepthCount, standIn);
  uint32_t refresh = 0;
  if ((flags & DDEDM_REFRESHRATES) != 0) {
    HDC screen = GetDC(nullptr);
    int hz = GetDeviceCaps(screen, VREFRESH);
    ReleaseDC(nullptr, screen);
    refresh = hz > 1 ? static_cast<uint32_t>(hz) : 0;
  }
  for (uint32_t i = 0; i < count; i++) {
    PlatSurfaceDesc mode = CommonDisplayMode(ModeWidth, ModeHeight, standIn[i], refresh);
    if (callback(&mode, context) != DDENUMRET_OK) {
      break;
    }
  }
  return DD_OK;
}

// The display switches where it can; a mode it refuses, or one of a list
// without the 320x240 mode, is stood in for. The desktop's own mode is put
// back first when a real one was on.
int32_t SetDisplayMode(PlatDisplay*, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  WindowsScreen* screen = ExclusiveScreen();
  if (screen == nullptr) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  if (RealSwitchWorthTrying(width, height)) {
    if (Object->SetCooperativeLevel(ExclusiveWindow, ExclusiveFlags) == DD_OK &&
        Object->SetDisplayMode(width, height, bitsPerPixel) == DD_OK) {
      Mode = ModeKind::Real;
      BlankPeriod = 0;
      screen->exclusive = true;
      return DD_OK;
    }
    Object->SetCooperativeLevel(ExclusiveWindow, DDSCL_NORMAL);
  }
  if (!CommonModeOffered(width, height, bitsPerPixel)) {
    return DDERR_INVALIDMODE;
  }
  if (Mode == ModeKind::Real) {
    Object->RestoreDisplayMode();
    screen->exclusive = false;
  }
  if (!WindowsEnterStandIn(screen, static_cast<int32_t>(width), static_cast<int32_t>(height), bitsPerPixel)) {
    return DDERR_GENERIC;
  }
  Mode = ModeKind::StandIn;
  return DD_OK;
}

int32_t RestoreDisplayMode(PlatDisplay*) {
  WindowsScreen* screen = ExclusiveScreen();
  ModeKind was = Mode;
  Mode = ModeKind::None;
  if (screen != nullptr) {
    screen->exclusive = false;
  }
  if (was == ModeKind::StandIn) {
    if (screen != nullptr) {
      WindowsLeaveStandIn(screen);
    }
    return DD_OK;
  }
  return Object->RestoreDisplayMode();
}

// The real blank where a real mode is on; Wine's returns at once, so the
// timed grid stands behind it. The stand-in's present waits itself.
int32_t WaitForVerticalBlank(PlatDisplay*, uint32_t flags, void* event) {
  if (Mode == ModeKind::StandIn) {
    return DD_OK;
  }
  uint64_t before = PlatClockNanoseconds();
  HRESULT result = Object->WaitForVerticalBlank(flags, static_cast<HANDLE>(event));
  if (Mode == ModeKind::Real) {
    // Read once per mode: under Wine each reading costs server round trips.
    if (BlankPeriod == 0) {
      HDC screen = GetDC(nullptr);
      BlankPeriod = CommonRefreshPeriod(GetDeviceCaps(screen, VREFRESH));
      ReleaseDC(nullptr, screen);
    }
    uint64_t target = CommonPaceAfterWait(&BlankPacer, before, PlatClockNanoseconds(), BlankPeriod);
    if (target != 0) {
      WindowsSleepUntil(target);
    }
  }
  return result;
}

// A surface lost while the viewer was away (Alt+Tab) is restored and
// locked again, so the picture comes back with the viewer.
int32_t Lock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags,
             void* event) {
  DDSURFACEDESC native;
  ToNative(*description, &native);
  auto* area = static_cast<RECT*>(const_cast<void*>(rectangle));
  HRESULT result = Primary->Lock(area, &native, flags, static_cast<HANDLE>(event));
  if (result == DDERR_SURFACELOST && Primary->Restore() == DD_OK) {
    ToNative(*description, &native);
    result = Primary->Lock(area, &native, flags, static_cast<HANDLE>(event));
  }
  if (result == DD_OK) {
    FromNative(native, description);
  }
  return result;
}

int32_t Unlock(PlatDisplaySurface*, const void* rectangle) {
  return Primary->Unlock(const_cast<void*>(rectangle));
}

const PlatSurfaceOps SurfaceOps = {Lock, Unlock};
PlatDisplaySurface PrimaryRecord = {&SurfaceOps};

int32_t StandInLock(PlatDisplaySurface*, const void*, PlatSurfaceDesc* description, uint32_t, void*) {
  if (Mode != ModeKind::StandIn) {
    return DDERR_SURFACELOST;
  }
  CommonDescribePrimarySurface(description, SurfaceMemory);
  return DD_OK;
}

// What was written goes up through the window's present.
int32_t StandInUnlock(PlatDisplaySurface*, const void*) {
  WindowsScreen* screen = ExclusiveScreen();
  if (Mode != ModeKind::StandIn || screen == nullptr) {
    return DDERR_SURFACELOST;
  }
  constexpr auto Width = static_cast<int32_t>(ModeWidth);
  constexpr auto Height = static_cast<int32_t>(ModeHeight);
  HDC dc = GetDC(screen->window);
  WindowsPresent(dc, CommonImage{SurfaceMemory, Width, Height, false},
                 CommonStretch{0, 0, Width, Height, 0, 0, Width, Height});
  ReleaseDC(screen->window, dc);
  return DD_OK;
}

const PlatSurfaceOps StandInSurfaceOps = {StandInLock, StandInUnlock};
PlatDisplaySurface StandInRecord = {&StandInSurfaceOps};

int32_t CreateSurface(PlatDisplay*, PlatSurfaceDesc* description, PlatDisplaySurface** surface, void* outer) {
  if (Mode == ModeKind::StandIn) {
    return CommonCreatePrimarySurface(description, surface, true, &StandInRecord);
  }
  DDSURFACEDESC native;
  ToNative(*description, &native);
  IDirectDrawSurface* made = nullptr;
  HRESULT result = Object->CreateSurface(&native, &made, static_cast<IUnknown*>(outer));
  if (result != DD_OK) {
    return result;
  }
  Primary = made;
  *surface = &PrimaryRecord;
  return DD_OK;
}

const PlatDisplayOps DisplayOps = {
    SetCooperativeLevel, EnumDisplayModes, SetDisplayMode, RestoreDisplayMode, WaitForVerticalBlank, CreateSurface,
};
PlatDisplay DisplayRecord = {&DisplayOps};

// Stands in for "DirectDrawCreate": the real object, reached through the
// system's record.
int32_t CreateDisplay(const void* device, PlatDisplay** display, void* outer) {
  IDirectDraw* made = nullptr;
  HRESULT result = RealCreate(static_cast<GUID*>(const_cast<void*>(device)), &made, static_cast<IUnknown*>(outer));
  if (result != DD_OK) {
    return result;
  }
  Object = made;
  *display = &DisplayRecord;
  return DD_OK;
}

}  // namespace

void* WindowsDisplayAdapter(void* directDrawCreate) {
  RealCreate = reinterpret_cast<DirectDrawCreateFn>(directDrawCreate);
  return reinterpret_cast<void*>(&CreateDisplay);
}
