// DirectDraw behind the system's display record. The library is loaded by
// the system at run time ("ddraw.dll", "DirectDrawCreate"); this adapter
// turns its object's methods into the record's operations and the system's
// surface description into DirectDraw's own, whose size and layout are the
// platform's (120 bytes on 64-bit Windows, with the surface pointer at 40).
//
// The system's headers come before <windows.h>: they name the same
// constants, which the Windows headers define as macros.
#include "platform/plat_display.h"

#include "platform/windows/display.h"

#include <cstring>
#include <windows.h>
#include <ddraw.h>

namespace {

using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID* device, IDirectDraw** object, IUnknown* outer);

// Where the system's mode callback and its context travel through
// EnumDisplayModes.
struct ModeVisit {
  PlatModeCallback callback;
  void* context;
};

// The adapter's state: one display object and one primary surface, the
// most the system makes. Main thread only.
DirectDrawCreateFn RealCreate = nullptr;     // the library's DirectDrawCreate
IDirectDraw* Object = nullptr;               // the real display object; never released
IDirectDrawSurface* Primary = nullptr;       // the real primary surface; never released

void ToNative(const PlatSurfaceDesc& from, DDSURFACEDESC* to) {
  std::memset(to, 0, sizeof *to);
  to->dwSize = sizeof *to;
  to->dwFlags = from.dwFlags;
  to->dwHeight = from.dwHeight;
  to->dwWidth = from.dwWidth;
  to->lPitch = from.lPitch;
  to->dwRefreshRate = from.dwRefreshRate;
  to->lpSurface = from.lpSurface;
  to->ddpfPixelFormat.dwSize = sizeof to->ddpfPixelFormat;
  to->ddpfPixelFormat.dwFlags = from.ddpfPixelFormat.dwFlags;
  to->ddpfPixelFormat.dwRGBBitCount = from.ddpfPixelFormat.dwRGBBitCount;
  to->ddsCaps.dwCaps = from.ddsCaps.dwCaps;
}

// The fields the system reads; its own dwSize stays as it is.
void FromNative(const DDSURFACEDESC& from, PlatSurfaceDesc* to) {
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

HRESULT WINAPI VisitMode(DDSURFACEDESC* mode, void* context) {
  auto* visit = static_cast<ModeVisit*>(context);
  PlatSurfaceDesc offered{};
  offered.dwSize = sizeof offered;
  FromNative(*mode, &offered);
  return visit->callback(&offered, visit->context);
}

int32_t SetCooperativeLevel(PlatDisplay*, uintptr_t window, uint32_t flags) {
  return Object->SetCooperativeLevel(reinterpret_cast<HWND>(window), flags);
}

int32_t EnumDisplayModes(PlatDisplay*, uint32_t flags, PlatSurfaceDesc* pattern, void* context,
                         PlatModeCallback callback) {
  DDSURFACEDESC native;
  ModeVisit visit{callback, context};
  if (pattern != nullptr) {
    ToNative(*pattern, &native);
  }
  return Object->EnumDisplayModes(flags, pattern != nullptr ? &native : nullptr, &visit, VisitMode);
}

int32_t SetDisplayMode(PlatDisplay*, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  return Object->SetDisplayMode(width, height, bitsPerPixel);
}

int32_t RestoreDisplayMode(PlatDisplay*) { return Object->RestoreDisplayMode(); }

int32_t WaitForVerticalBlank(PlatDisplay*, uint32_t flags, void* event) {
  return Object->WaitForVerticalBlank(flags, static_cast<HANDLE>(event));
}

int32_t Lock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags,
             void* event) {
  DDSURFACEDESC native;
  ToNative(*description, &native);
  HRESULT result = Primary->Lock(static_cast<RECT*>(const_cast<void*>(rectangle)), &native, flags,
                                 static_cast<HANDLE>(event));
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

int32_t CreateSurface(PlatDisplay*, PlatSurfaceDesc* description, PlatDisplaySurface** surface, void* outer) {
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
