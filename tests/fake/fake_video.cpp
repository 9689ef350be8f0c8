// The fake window, bitmap and display roles.
#include "tests/fake/fake_video.h"

#include "platform/common/display_mode.h"
#include "platform/common/handles.h"
#include "platform/common/window_class.h"
#include "platform/plat_bitmap.h"
#include "platform/plat_module.h"
#include "platform/plat_window.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"


namespace {

// Handles are in the backends' ranges (common/handles.h), so a mixed-up
// handle never matches.
constexpr uintptr_t ProgramInstance = 0x400000;

constexpr int WindowRoom = 8;
constexpr int MemoryDCRoom = 8;
constexpr int ModeRoom = 64;

struct FakeWindow {
  bool used;
  bool destroyed;
  int classIndex;
  const char* title;
  uint32_t style;
  bool dcGiven;
};

struct FakeMemoryDC {
  bool used;
  bool released;
};

CommonClassTable Classes;
uint32_t ClassStyles[CommonClassRoom];  // each class's CS_ flags
FakeWindow Windows[WindowRoom];
int WindowsMade = 0;
uintptr_t LastWindow = 0;
bool WindowFails = false;
int32_t CursorCount = 0;

PlatMessage Queue[FakeMessageRoom];
size_t QueueHead = 0;
size_t QueueLength = 0;

FakeMemoryDC MemoryDCs[MemoryDCRoom];
int MemoryDCsMade = 0;
uint32_t BitmapPixels[FakeBitmapRoom];
bool BitmapFails = false;
int BitmapsMade = 0;
FakeBlit LastBitBlt;
FakeBlit LastStretchBlt;

int32_t StepResults[6];
PlatSurfaceDesc Modes[ModeRoom];
int ModeCount = 0;
uint32_t CurrentDepth = 0;
int32_t SurfacePitch = 1280;
uint32_t SurfacePixels[FakeSurfaceRoom];

int32_t Result(FakeDisplayStep step) { return StepResults[static_cast<int>(step)]; }

FakeWindow* FindWindow(uintptr_t window) {
  if (window < CommonWindowBase || window >= CommonWindowBase + WindowRoom) {
    return nullptr;
  }
  FakeWindow& w = Windows[window - CommonWindowBase];
  return w.used && !w.destroyed ? &w : nullptr;
}

// --- the display object -----------------------------------------------------

int32_t FakeSetCooperativeLevel(PlatDisplay*, uintptr_t window, uint32_t flags) {
  FakeLog(FakeSetCooperativeLevelCall{static_cast<int64_t>(window), flags});
  return Result(FakeDisplayStep::CooperativeLevel);
}

bool Matches(const PlatSurfaceDesc& mode, const PlatSurfaceDesc* pattern) {
  if (pattern == nullptr) {
    return true;
  }
  if ((pattern->dwFlags & DDSD_WIDTH) != 0 && mode.dwWidth != pattern->dwWidth) {
    return false;
  }
  return (pattern->dwFlags & DDSD_HEIGHT) == 0 || mode.dwHeight == pattern->dwHeight;
}

int32_t FakeEnumDisplayModes(PlatDisplay*, uint32_t flags, PlatSurfaceDesc* pattern, void* context,
                             PlatModeCallback callback) {
  FakeLog(FakeEnumDisplayModesCall{flags, pattern != nullptr ? pattern->dwFlags : 0});
  if (Result(FakeDisplayStep::EnumDisplayModes) != DD_OK) {
    return Result(FakeDisplayStep::EnumDisplayModes);
  }
  for (int i = 0; i < ModeCount; i++) {
    if (Matches(Modes[i], pattern)) {
      PlatSurfaceDesc offered = Modes[i];
      if (callback(&offered, context) != DDENUMRET_OK) {
        break;
      }
    }
  }
  return DD_OK;
}

int32_t FakeSetDisplayMode(PlatDisplay*, uint32_t width, uint32_t height, uint32_t bits) {
  FakeLog(FakeSetDisplayModeCall{width, height, bits});
  if (Result(FakeDisplayStep::SetDisplayMode) != DD_OK) {
    return Result(FakeDisplayStep::SetDisplayMode);
  }
  for (int i = 0; i < ModeCount; i++) {
    const PlatSurfaceDesc& m = Modes[i];
    if (m.dwWidth == width && m.dwHeight == height && m.ddpfPixelFormat.dwRGBBitCount == bits) {
      CurrentDepth = bits;
      return DD_OK;
    }
  }
  return DDERR_INVALIDMODE;
}

int32_t FakeRestoreDisplayMode(PlatDisplay*) {
  FakeRecord("RestoreDisplayMode");
  CurrentDepth = 0;
  return DD_OK;
}

int32_t FakeWaitForVerticalBlank(PlatDisplay*, uint32_t flags, void*) {
  FakeLog(FakeWaitForVerticalBlankCall{flags});
  return DD_OK;
}

int32_t FakeLock(PlatDisplaySurface*, const void* rectangle, PlatSurfaceDesc* description, uint32_t flags,
                 void*) {
  FakeLog(FakeLockCall{rectangle != nullptr ? 1 : 0, flags});
  if (Result(FakeDisplayStep::Lock) != DD_OK) {
    return Result(FakeDisplayStep::Lock);
  }
  description->dwFlags = DDSD_LPSURFACE | DDSD_PITCH;
  description->lpSurface = SurfacePixels;
  description->lPitch = SurfacePitch;
  return DD_OK;
}

int32_t FakeUnlock(PlatDisplaySurface*, const void* rectangle) {
  FakeLog(FakeUnlockCall{rectangle != nullptr ? 1 : 0});
  return DD_OK;
}

const PlatSurfaceOps SurfaceOps = {FakeLock, FakeUnlock};
PlatDisplaySurface PrimarySurface = {&SurfaceOps};

int32_t FakeCreateSurface(PlatDisplay*, PlatSurfaceDesc* description, PlatDisplaySurface** surface, void*) {
  FakeLog(FakeCreateSurfaceCall{description->dwFlags, description->ddsCaps.dwCaps});
  if (Result(FakeDisplayStep::CreateSurface) != DD_OK) {
    return Result(FakeDisplayStep::CreateSurface);
  }
  *surface = &PrimarySurface;
  return DD_OK;
}

const PlatDisplayOps DisplayOps = {
    FakeSetCooperativeLevel, FakeEnumDisplayModes,     FakeSetDisplayMode,
    FakeRestoreDisplayMode,  FakeWaitForVerticalBlank, FakeCreateSurface,
};
PlatDisplay Display = {&DisplayOps};

int32_t FakeDirectDrawCreate(const void* device, PlatDisplay** display, void* outer) {
  FakeLog(FakeDirectDrawCreateCall{device != nullptr ? 1 : 0, outer != nullptr ? 1 : 0});
  if (Result(FakeDisplayStep::Create) != DD_OK) {
    return Result(FakeDisplayStep::Create);
  }
  *display = &Display;
  return DD_OK;
}

const FakeSymbol DisplaySymbols[] = {
    {"DirectDrawCreate", reinterpret_cast<void*>(&FakeDirectDrawCreate)},
};

void ResetVideo() {
  Classes = CommonClassTable{};
  for (FakeWindow& w : Windows) {
    w = FakeWindow{};
  }
  WindowsMade = 0;
  LastWindow = 0;
  WindowFails = false;
  CursorCount = 0;
  QueueHead = 0;
  QueueLength = 0;
  for (FakeMemoryDC& dc : MemoryDCs) {
    dc = FakeMemoryDC{};
  }
  MemoryDCsMade = 0;
  BitmapFails = false;
  BitmapsMade = 0;
  LastBitBlt = FakeBlit{};
  LastStretchBlt = FakeBlit{};
  for (int32_t& r : StepResults) {
    r = DD_OK;
  }
  ModeCount = 0;
  FakeDisplayAddMode(320, 240, 16, 60);
  FakeDisplayAddMode(320, 240, 32, 60);
  CurrentDepth = 0;
  SurfacePitch = 1280;
}

FakeResetRegistration Registration(ResetVideo);

}  // namespace

// --- windows and messages -------------------------------------------------

uintptr_t FakeVideoWindow() { return LastWindow; }
bool FakeWindowExists(uintptr_t window) { return FindWindow(window) != nullptr; }

const char* FakeWindowTitle(uintptr_t window) {
  if (window < CommonWindowBase || window >= CommonWindowBase + WindowRoom) {
    return nullptr;
  }
  return Windows[window - CommonWindowBase].title;
}

uint32_t FakeWindowStyle(uintptr_t window) {
  if (window < CommonWindowBase || window >= CommonWindowBase + WindowRoom) {
    return 0;
  }
  return Windows[window - CommonWindowBase].style;
}

void FakeWindowFail(bool fail) { WindowFails = fail; }

uint32_t FakeClassStyle(const char* className) {
  int c = CommonClassFind(Classes, className);
  return c >= 0 ? ClassStyles[c] : 0;
}

bool FakeClassRegistered(const char* className) { return CommonClassFind(Classes, className) >= 0; }

void FakeQueueMessage(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (QueueLength < FakeMessageRoom) {
    Queue[(QueueHead + QueueLength) % FakeMessageRoom] = PlatMessage{window, message, wParam, lParam};
    QueueLength++;
  }
}

size_t FakeQueuedMessages() { return QueueLength; }

void FakeCursorSetCount(int32_t count) { CursorCount = count; }
int32_t FakeCursorCount() { return CursorCount; }

uintptr_t PlatProgramInstance() {
  FakeRecord("ProgramInstance");
  return ProgramInstance;
}

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  FakeLog(FakeRegisterClassCall{windowClass->style, static_cast<int64_t>(windowClass->instance)});
  int slot = CommonClassRegister(&Classes, windowClass->className, windowClass->procedure);
  if (slot < 0) {
    return false;
  }
  ClassStyles[slot] = windowClass->style;
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  FakeLog(FakeCreateWindowCall{style, width, height});
  FakeLog(FakeCreateWindowAtCall{x, y, extendedStyle});
  int c = CommonClassFind(Classes, className);
  if (WindowFails || c < 0 || WindowsMade >= WindowRoom) {
    return 0;
  }
  int index = WindowsMade++;
  Windows[index] = FakeWindow{true, false, c, title, style, false};
  LastWindow = CommonWindowBase + index;
  return LastWindow;
}

uintptr_t PlatGetDC(uintptr_t window) {
  FakeLog(FakeGetDCCall{static_cast<int64_t>(window)});
  FakeWindow* w = FindWindow(window);
  if (w == nullptr) {
    return 0;
  }
  w->dcGiven = true;
  return CommonWindowDCBase + (window - CommonWindowBase);
}

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) {
  FakeLog(FakeReleaseDCCall{static_cast<int64_t>(window), static_cast<int64_t>(dc)});
  if (dc >= CommonMemoryDCBase && dc < CommonMemoryDCBase + MemoryDCRoom) {
    MemoryDCs[dc - CommonMemoryDCBase].released = true;
  }
  return 0;
}

bool PlatShowWindow(uintptr_t window, int32_t command) {
  FakeLog(FakeShowWindowCall{static_cast<int64_t>(window), command});
  return FindWindow(window) != nullptr;
}

int32_t PlatShowCursor(bool show) {
  CursorCount += show ? 1 : -1;
  FakeLog(FakeShowCursorCall{show ? 1 : 0, CursorCount});
  return CursorCount;
}

bool PlatDestroyWindow(uintptr_t window) {
  FakeLog(FakeDestroyWindowCall{static_cast<int64_t>(window)});
  FakeWindow* w = FindWindow(window);
  if (w == nullptr) {
    return false;
  }
  w->destroyed = true;
  return true;
}

bool PlatPeekMessage(PlatMessage* message) {
  FakeRecord("PeekMessage");
  if (QueueLength == 0) {
    return false;
  }
  *message = Queue[QueueHead];
  QueueHead = (QueueHead + 1) % FakeMessageRoom;
  QueueLength--;
  return true;
}

void PlatTranslateMessage(const PlatMessage* message) { FakeLog(FakeTranslateMessageCall{message->message}); }

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  FakeLog(FakeDispatchMessageCall{static_cast<int64_t>(message->window), message->message, message->wParam});
  FakeWindow* w = FindWindow(message->window);
  if (w == nullptr) {
    return 0;
  }
  PlatWindowProcedure procedure = Classes.slot[w->classIndex].procedure;
  return procedure(message->window, message->message, message->wParam, message->lParam);
}

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  FakeLog(FakeDefWindowProcCall{static_cast<int64_t>(window), message, wParam});
  if (message == WM_CLOSE) {
    PlatDestroyWindow(window);
  }
  return 0;
}

// --- bitmap and copies ----------------------------------------------------

void FakeBitmapFail(bool fail) { BitmapFails = fail; }
const FakeBlit& FakeLastBitBlt() { return LastBitBlt; }
const FakeBlit& FakeLastStretchBlt() { return LastStretchBlt; }

uintptr_t FakeWindowDC(uintptr_t window) {
  FakeWindow* w = FindWindow(window);
  return w != nullptr && w->dcGiven ? CommonWindowDCBase + (window - CommonWindowBase) : 0;
}

bool FakeDCReleased(uintptr_t dc) {
  return dc >= CommonMemoryDCBase && dc < CommonMemoryDCBase + MemoryDCRoom && MemoryDCs[dc - CommonMemoryDCBase].released;
}

uintptr_t PlatCreateCompatibleDC(uintptr_t reference) {
  FakeLog(FakeCreateCompatibleDCCall{static_cast<int64_t>(reference)});
  if (MemoryDCsMade >= MemoryDCRoom) {
    return 0;
  }
  MemoryDCs[MemoryDCsMade] = FakeMemoryDC{true, false};
  return CommonMemoryDCBase + MemoryDCsMade++;
}

uintptr_t PlatCreateDIBSection(uintptr_t dc, const PlatBitmapInfo* info, uint32_t usage, void** bits,
                               uintptr_t section, uint32_t offset) {
  FakeLog(FakeCreateDIBSectionCall{info->biWidth, info->biHeight, info->biBitCount});
  *bits = nullptr;
  int64_t pixels = static_cast<int64_t>(info->biWidth) * (info->biHeight < 0 ? -info->biHeight : info->biHeight);
  if (BitmapFails || info->biSize != BitmapHeaderSize || info->biBitCount != 32 ||
      info->biCompression != BI_RGB || usage != DIB_RGB_COLORS || section != 0 || pixels <= 0 ||
      pixels > static_cast<int64_t>(FakeBitmapRoom)) {
    return 0;
  }
  *bits = BitmapPixels;
  return CommonBitmapBase + BitmapsMade++;
}

uintptr_t PlatSelectObject(uintptr_t dc, uintptr_t object) {
  FakeLog(FakeSelectObjectCall{static_cast<int64_t>(dc), static_cast<int64_t>(object)});
  return 0;
}

bool PlatBitBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                int32_t sourceX, int32_t sourceY, uint32_t rasterOperation) {
  FakeLog(FakeBitBltCall{width, height, rasterOperation});
  LastBitBlt = FakeBlit{destination, x, y, width, height, source, sourceX, sourceY, width, height, rasterOperation};
  return true;
}

bool PlatStretchBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    uint32_t rasterOperation) {
  FakeLog(FakeStretchBltCall{width, height, rasterOperation});
  LastStretchBlt = FakeBlit{destination, x,           y,           width,           height,
                            source,      sourceX,     sourceY,     sourceWidth,     sourceHeight,
                            rasterOperation};
  return true;
}

// --- the display service ----------------------------------------------------

void FakeDisplayInstall(bool withEntry) {
  FakeModuleAdd("ddraw.dll", DisplaySymbols, withEntry ? 1 : 0);
}

void FakeDisplaySetResult(FakeDisplayStep step, int32_t result) { StepResults[static_cast<int>(step)] = result; }

void FakeDisplayClearModes() { ModeCount = 0; }

void FakeDisplayAddMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t refresh) {
  FakeDisplayAddRawMode(CommonDisplayMode(width, height, bits, refresh));
}

void FakeDisplayAddRawMode(const PlatSurfaceDesc& mode) {
  if (ModeCount < ModeRoom) {
    Modes[ModeCount++] = mode;
  }
}

uint32_t FakeDisplayDepth() { return CurrentDepth; }

void FakeSurfaceSetPitch(int32_t pitch) { SurfacePitch = pitch; }
uint32_t* FakeSurfaceMemory() { return SurfacePixels; }
