// Start-up sequence and shutdown.
#include "app/startup.h"

#include "app/cmdline.h"
#include "app/runloop.h"
#include "app/winproc.h"
#include "archive/archive.h"
#include "base/names.h"
#include "base/syserror.h"
#include "demo/draw.h"
#include "demo/fade.h"
#include "demo/script.h"
#include "sound/sound.h"
#include "timing/sequencer.h"
#include "timing/ticktimer.h"
#include "video/video.h"
#include "platform/plat_system.h"

// Zero at process start; whatever the music item leaves free stays zero.
uint8_t MusicBuffer[MusicBufferBytes];

const SceneEntry* PresentationScenes = SceneTable;

namespace {

constexpr uint32_t FrameBitsPerPixel = 32;

// Where each archive item goes.
struct ItemBuffer {
  uint32_t item;
  void* destination;
  uint32_t room;
};

const ItemBuffer LoadingItems[] = {
    {ItemLoadingPalette, Pictures.loadingPalette, sizeof Pictures.loadingPalette},
    {ItemLoadingPicture, Pictures.loadingPicture, sizeof Pictures.loadingPicture},
};

const ItemBuffer ContentItems[] = {
    {ItemWidePalette, Pictures.widePalette, sizeof Pictures.widePalette},
    {ItemWidePicture, Pictures.widePicture, sizeof Pictures.widePicture},
    {ItemMusic, MusicBuffer, sizeof MusicBuffer},
    {ItemOpeningPalette, Pictures.openingPalette, sizeof Pictures.openingPalette},
    {ItemOpeningPicture, Pictures.openingPicture, sizeof Pictures.openingPicture},
    {ItemClosingPalette, Pictures.closingPalette, sizeof Pictures.closingPalette},
    {ItemClosingPicture, Pictures.closingPicture, sizeof Pictures.closingPicture},
};

// One pass over the archive: open, decode the items in order, close. No
// item is read from an archive that did not open, and a refused item stops
// the pass; either way the file is closed and SystemError 7 recorded.
template <size_t N>
bool ReadItems(const ItemBuffer (&items)[N]) {
  if (!ArchiveOpen(ProgramFileName)) {
    ArchiveClose();
    return RecordSystemError(ErrorArchive);
  }
  for (const ItemBuffer& b : items) {
    if (!ArchiveReadCoded(b.item, b.destination, b.room)) {
      ArchiveClose();
      return RecordSystemError(ErrorArchive);
    }
  }
  ArchiveClose();
  return true;
}

}  // namespace

bool ShowLoadingScreen() {
  if (!ReadItems(LoadingItems)) {
    return false;
  }
  ShowLoadingPicture();
  PresentFrame();
  return true;
}

bool LoadContent() { return ReadItems(ContentItems); }

bool StartPresentation() {
  SetWindowTitle(DemoWindowTitle);
  SetWindowProcedure(WindowProcedure);
  DisplayRequest request = ChooseDisplayRequest();
  if (!OpenVideo(request.width, request.height, request.modeRequest)) {
    return false;
  }
  FrameBuffer = CreateFrameBuffer(FrameWidth, FrameHeight, FrameBitsPerPixel);
  if (FrameBuffer == nullptr) {
    return false;
  }
  if (!ShowLoadingScreen()) {
    return false;
  }
  InstallSceneTable(PresentationScenes);
  if (!LoadContent()) {
    return false;
  }
  BuildFadeTable();
  ScrollPosition.store(0, std::memory_order_relaxed);
  if (!StartTickTimer(TickResolution, TickInterval)) {
    return RecordSystemError(ErrorTickTimer);
  }
  if (!SoundOpen(SoundTypeMpeg, VideoWindow())) {
    return false;
  }
  return SoundLoadMemory(MusicBuffer, MusicBufferBytes);
}

void ExitWithSystemError() { PlatExitProcess(SystemError); }

bool PlayPresentation() {
  if (!StartPresentation()) {
    return false;
  }
  RunLoop();
  SoundStop();
  return true;
}

void StopPresentation() {
  StopTickTimer();
  SoundClose();
  ReleaseFrameContext();
  CloseVideo();
}

void ShutdownPresentation() {
  StopPresentation();
  ExitWithSystemError();
}

void QuillwaveMain() {
  PlayPresentation();
  ShutdownPresentation();
}
