// The fake window, bitmap and display roles: windows and classes kept in
// small tables, messages queued by the test, a scripted display service with
// a scripted mode list, and a surface whose memory the test can read.
// Every call is recorded in the call log (fake_platform.h) under the name of
// the operation without its "Plat" prefix ("CreateWindow", "ShowCursor",
// "SetDisplayMode", "Lock", ...); PlatCreateWindow records "CreateWindow"
// (style, width, height) and then "CreateWindowAt" (x, y, extended style).
// Peeking, dispatching and presenting allocate nothing.
#pragma once
#include "platform/plat_display.h"

#include <cstddef>
#include <cstdint>

// --- windows and messages -------------------------------------------------

// The window made last by PlatCreateWindow (0 before any): the demo window.
uintptr_t FakeVideoWindow();
// True while the window exists (made and not destroyed).
bool FakeWindowExists(uintptr_t window);
// Title and style the window was made with.
const char* FakeWindowTitle(uintptr_t window);
uint32_t FakeWindowStyle(uintptr_t window);
// When set, PlatCreateWindow makes nothing and returns 0 (no display).
void FakeWindowFail(bool fail);

// The style and procedure of the class registered last under that name.
uint32_t FakeClassStyle(const char* className);
bool FakeClassRegistered(const char* className);

// Queues a message for PlatPeekMessage, taken first in, first out. The queue
// holds FakeMessageRoom messages; more are dropped.
constexpr size_t FakeMessageRoom = 4096;
void FakeQueueMessage(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam);
size_t FakeQueuedMessages();

// The pointer's display count before the first PlatShowCursor (0 at reset),
// and the count now.
void FakeCursorSetCount(int32_t count);
int32_t FakeCursorCount();

// --- bitmap and copies ----------------------------------------------------

// The largest bitmap the fake serves, in pixels.
constexpr size_t FakeBitmapRoom = 640 * 480;
// When set, PlatCreateDIBSection gives no pixel memory.
void FakeBitmapFail(bool fail);

// The arguments of the last copy (PlatBitBlt or PlatStretchBlt).
struct FakeBlit {
  uintptr_t destination;
  int32_t x, y, width, height;
  uintptr_t source;
  int32_t sourceX, sourceY, sourceWidth, sourceHeight;
  uint32_t rasterOperation;
};
const FakeBlit& FakeLastBitBlt();
const FakeBlit& FakeLastStretchBlt();
// The device context PlatGetDC gave for the window, 0 if none.
uintptr_t FakeWindowDC(uintptr_t window);
// True once PlatReleaseDC was called with that context.
bool FakeDCReleased(uintptr_t dc);

// --- the display service ----------------------------------------------------

// Makes "ddraw.dll" loadable through the fake library role, with the entry
// "DirectDrawCreate" unless `withEntry` is false. Not installed after reset.
void FakeDisplayInstall(bool withEntry = true);

// The display operations whose results a test can script; DD_OK at reset.
enum class FakeDisplayStep {
  Create,
  CooperativeLevel,
  EnumDisplayModes,
  SetDisplayMode,  // when DD_OK, a switch succeeds only to a listed mode
  CreateSurface,
  Lock,
};
void FakeDisplaySetResult(FakeDisplayStep step, int32_t result);

// The mode list. Reset leaves 320x240 at 16 and 32 bits, 60 Hz.
void FakeDisplayClearModes();
// An RGB mode; refresh 0 gives a mode without a refresh rate.
void FakeDisplayAddMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t refresh);
// Any mode as the display describes it (palette modes, missing fields).
void FakeDisplayAddRawMode(const PlatSurfaceDesc& mode);
// The mode set last, 0 bits when none or after a restore.
uint32_t FakeDisplayDepth();

// Primary surface memory: FakeSurfaceRoom 32-bit values, lPitch as scripted
// (1280 at reset). The test fills it with a marker to see what was written.
constexpr size_t FakeSurfaceRoom = 1024 * 1024;
void FakeSurfaceSetPitch(int32_t pitch);
uint32_t* FakeSurfaceMemory();
