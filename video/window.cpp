// The demo window and the display mode: opening a window on the desktop or an
// exclusive full-screen display, the automatic choice of depth, and closing.
#include "video/video.h"

#include "base/syserror.h"
#include "video/device.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr char WindowClassName[] = "QZClassName";
constexpr char DefaultWindowTitle[] = "QZ";

// Full screen: a bare popup with the system menu; no class style.
constexpr uint32_t FullScreenStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr uint32_t FullScreenClassStyle = 0;
// A window on the desktop gets a caption. The low bit 0x200 is kept so the
// style value stays the one the window was designed with; it means nothing
// for a top-level window.
constexpr uint32_t WindowedStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | 0x200;
constexpr uint32_t WindowedClassStyle = CS_VREDRAW | CS_HREDRAW;

constexpr uint32_t ExclusiveLevel = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE;

// Palette modes are never chosen: the frame is 32-bit colour.
constexpr uint32_t PaletteDepth = 8;

// The automatic choice's mode callback: keeps the deepest RGB depth offered
// and the highest refresh rate among the modes of that depth.
int32_t ConsiderMode(PlatSurfaceDesc* mode, void* context) {
  if ((mode->dwFlags & DDSD_PIXELFORMAT) == 0 || (mode->ddpfPixelFormat.dwFlags & DDPF_RGB) == 0) {
    return DDENUMRET_OK;
  }
  uint32_t depth = mode->ddpfPixelFormat.dwRGBBitCount;
  if (depth < VideoDevice.bestDepth) {
    return DDENUMRET_OK;
  }
  if (depth > VideoDevice.bestDepth) {
    VideoDevice.bestDepth = depth;
    VideoDevice.bestRefresh = 0;
  }
  if ((mode->dwFlags & DDSD_REFRESHRATE) != 0 && mode->dwRefreshRate >= VideoDevice.bestRefresh) {
    VideoDevice.bestRefresh = mode->dwRefreshRate;
  }
  return DDENUMRET_OK;
}

// Switches to the deepest RGB mode of exactly width x height; false when the
// list cannot be had, holds nothing deeper than a palette mode, or the
// switch is refused.
bool ChooseModeAutomatically(uint32_t width, uint32_t height) {
  PlatDisplay* display = VideoDevice.display;
  ClearSurfaceDescription();
  VideoDevice.surfaceDescription.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
  VideoDevice.surfaceDescription.dwWidth = width;
  VideoDevice.surfaceDescription.dwHeight = height;
  VideoDevice.bestDepth = 0;
  VideoDevice.bestRefresh = 0;
  if (display->ops->EnumDisplayModes(display, DDEDM_REFRESHRATES, &VideoDevice.surfaceDescription,
                                     nullptr, ConsiderMode) != DD_OK) {
    return false;
  }
  if (VideoDevice.bestDepth <= PaletteDepth) {
    return false;
  }
  if (display->ops->SetDisplayMode(display, width, height, VideoDevice.bestDepth) != DD_OK) {
    return false;
  }
  VideoDevice.switchSucceeded = true;
  return true;
}

// Full screen: the display service, exclusive use of the screen, the mode,
// and for the surface copy the primary surface.
bool OpenFullScreen() {
  VideoDevice.displayLibrary = PlatModuleLoad(PlatDisplayLibraryName);
  if (VideoDevice.displayLibrary == nullptr) {
    return RecordSystemError(ErrorDisplayService);
  }
  VideoDevice.displayCreate =
      reinterpret_cast<PlatDisplayCreate>(PlatModuleSymbol(VideoDevice.displayLibrary, PlatDisplayCreateName));
  if (VideoDevice.displayCreate == nullptr) {
    return RecordSystemError(ErrorDisplayService);
  }
  if (VideoDevice.displayCreate(nullptr, &VideoDevice.display, nullptr) != DD_OK) {
    return RecordSystemError(ErrorDisplayService);
  }
  PlatDisplay* display = VideoDevice.display;
  if (display->ops->SetCooperativeLevel(display, VideoDevice.window, ExclusiveLevel) != DD_OK) {
    return RecordSystemError(ErrorDisplayService);
  }
  if (VideoDevice.modeRequest != ModeAutomatic) {
    // An explicit depth is taken or refused as it stands; no other is tried.
    if (display->ops->SetDisplayMode(display, VideoDevice.width, VideoDevice.height,
                                     static_cast<uint32_t>(VideoDevice.modeRequest)) != DD_OK) {
      return RecordSystemError(ErrorDisplayMode);
    }
    VideoDevice.switchSucceeded = true;
  } else if (!ChooseModeAutomatically(VideoDevice.width, VideoDevice.height)) {
    return RecordSystemError(ErrorDisplayMode);
  }
  if (VideoDevice.presentTag == PresentSurfaceCopy) {
    ClearSurfaceDescription();
    VideoDevice.surfaceDescription.dwFlags = DDSD_CAPS;
    VideoDevice.surfaceDescription.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (display->ops->CreateSurface(display, &VideoDevice.surfaceDescription, &VideoDevice.primarySurface,
                                    nullptr) != DD_OK) {
      return RecordSystemError(ErrorDisplayMode);
    }
  }
  return true;
}

// Full screen hides the pointer: one show, then hides until the display
// count is negative. A pointer hidden already stays as it is.
void HidePointer() {
  int32_t count = PlatShowCursor(true);
  while (count >= 0) {
    count = PlatShowCursor(false);
  }
}

bool Open(uint32_t presentTag, uint32_t width, uint32_t height, int32_t modeRequest) {
  VideoDevice.presentTag = presentTag;
  VideoDevice.width = width;
  VideoDevice.height = height;
  VideoDevice.modeRequest = modeRequest;
  VideoDevice.switchSucceeded = false;
  VideoDevice.primarySurface = nullptr;

  bool windowed = modeRequest == ModeWindow;
  VideoDevice.windowClass.style = windowed ? WindowedClassStyle : FullScreenClassStyle;
  VideoDevice.windowStyle = windowed ? WindowedStyle : FullScreenStyle;

  VideoDevice.instance = PlatProgramInstance();
  VideoDevice.windowClass.instance = VideoDevice.instance;
  PlatRegisterClass(&VideoDevice.windowClass);
  VideoDevice.window = PlatCreateWindow(0, WindowClassName, VideoDevice.windowTitle, VideoDevice.windowStyle,
                                        0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height),
                                        VideoDevice.instance);
  VideoDevice.windowDC = PlatGetDC(VideoDevice.window);

  if (windowed) {
    // A window on the desktop uses no display service; without a display
    // there is no window at all.
    if (VideoDevice.window == 0) {
      return RecordSystemError(ErrorNoDisplay);
    }
  } else if (!OpenFullScreen()) {
    return false;
  }

  PlatShowWindow(VideoDevice.window, SW_SHOW);
  if (!windowed) {
    HidePointer();
  }
  return true;
}

}  // namespace

VideoDeviceState VideoDevice = {
    .width = 0,
    .height = 0,
    .modeRequest = 0,
    .presentTag = 0,
    .instance = 0,
    .window = 0,
    .windowDC = 0,
    .displayLibrary = nullptr,
    .displayCreate = nullptr,
    .display = nullptr,
    .primarySurface = nullptr,
    .bestDepth = 0,
    .bestRefresh = 0,
    .switchSucceeded = false,
    .windowTitle = DefaultWindowTitle,
    .windowClass = {FullScreenClassStyle, PlatDefWindowProc, 0, 0, 0, WindowClassName},
    .windowStyle = FullScreenStyle,
    .surfaceDescription = {sizeof(PlatSurfaceDesc), 0, 0, 0, 0, 0, nullptr, {0, 0}, {0}},
};

void ClearSurfaceDescription() {
  constexpr size_t Skip = sizeof VideoDevice.surfaceDescription.dwSize;
  auto* bytes = reinterpret_cast<unsigned char*>(&VideoDevice.surfaceDescription);
  std::memset(bytes + Skip, 0, sizeof VideoDevice.surfaceDescription - Skip);
}

void SetWindowTitle(const char* title) { VideoDevice.windowTitle = title; }

void SetWindowProcedure(PlatWindowProcedure procedure) { VideoDevice.windowClass.procedure = procedure; }

bool OpenVideo(uint32_t width, uint32_t height, int32_t modeRequest) {
  return Open(PresentWindowCopy, width, height, modeRequest);
}

bool OpenVideoSurface(uint32_t width, uint32_t height, int32_t modeRequest) {
  return Open(PresentSurfaceCopy, width, height, modeRequest);
}

void CloseVideo() {
  if (VideoDevice.window == 0) {
    return;
  }
  if (VideoDevice.modeRequest != ModeWindow && VideoDevice.switchSucceeded) {
    VideoDevice.display->ops->RestoreDisplayMode(VideoDevice.display);
  }
  PlatDestroyWindow(VideoDevice.window);
  // A second close finds nothing to do.
  VideoDevice.window = 0;
  VideoDevice.switchSucceeded = false;
}

ChosenMode QueryChosenMode() { return ChosenMode{VideoDevice.bestDepth, VideoDevice.bestRefresh}; }

uintptr_t VideoWindow() { return VideoDevice.window; }
