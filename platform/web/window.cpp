// Where the window's messages come from and its pictures go on the page.
// The window's client area is the page's 320x240 canvas; every copy into it
// is put on the canvas in the colours the display mode can show. Messages
// come from the page's input events, queued by library.js. The window and
// its routines, the memory contexts, bitmaps and the stretch are the shared
// ones (common/window.h, common/bitmap.h).
#include "platform/common/bitmap.h"
#include "platform/common/depth.h"
#include "platform/common/window.h"
#include "platform/web/web.h"

namespace {

constexpr uint32_t CanvasPixels = FrameWidth * FrameHeight;
constexpr uint8_t Opaque = 255;

// What the canvas shows. Main thread only.
bool Waited = false;                      // a frame was waited for since the last copy
uint32_t LevelsDepth = ~0u;               // the depth Levels was made for, none before
uint8_t Levels[3][CommonChannelValues];         // shown red, green, blue value of each value
uint32_t Canvas[CanvasPixels];            // 0x00RRGGBB as shown, what the canvas shows
uint8_t CanvasBytes[CanvasPixels * 4];    // the same as the canvas takes it: R, G, B, A

// 16 bits show 5-6-5, 15 bits 5-5-5; every other depth, and a window on the
// desktop, full colour.
void UseDepth(uint32_t depth) {
  if (depth != LevelsDepth) {
    LevelsDepth = depth;
    CommonDepthLevels(depth, Levels);
  }
}

void Show() {
  for (uint32_t i = 0; i < CanvasPixels; i++) {
    uint32_t p = Canvas[i];
    uint8_t* out = CanvasBytes + i * 4;
    out[0] = static_cast<uint8_t>(p >> 16);
    out[1] = static_cast<uint8_t>(p >> 8);
    out[2] = static_cast<uint8_t>(p);
    out[3] = Opaque;
  }
  qz_web_paint(CanvasBytes, static_cast<int>(FrameWidth), static_cast<int>(FrameHeight));
}

}  // namespace

void WebWaitForFrame() {
  qz_web_wait_frame();
  WebRunDueTicks();
  Waited = true;
}

// Puts a picture on the canvas outside any copy (the display service's
// surface); the pixels are 0x00RRGGBB, rows top-down, canvas-sized.
void WebShowPicture(const uint32_t* pixels) {
  constexpr int32_t Width = FrameWidth;
  constexpr int32_t Height = FrameHeight;
  CommonImage image{pixels, Width, Height, false};
  CommonStretch copy{0, 0, Width, Height, 0, 0, Width, Height};
  UseDepth(WebModeDepth());
  CommonStretchCopy(image, copy, CommonClipStretch(copy, Width, Height), Canvas, Width * sizeof(uint32_t), Levels);
  Show();
}

// --- the window's hooks ---------------------------------------------------------

bool CommonWindowTakeMessage(uint32_t* message, uint32_t* wParam) {
  return qz_web_take_message(message, wParam) != 0;
}

void CommonWindowPointer(bool shown) { qz_web_show_pointer(shown ? 1 : 0); }

// --- the copies into the window ------------------------------------------------

// The page shows a picture only when it gets control back, so a copy that
// no frame wait came before waits for the next animation frame itself.
// Whatever size the window was made, its client area is the canvas.
bool CommonWindowPresent(const CommonImage& image, const CommonStretch& copy, int32_t width, int32_t height) {
  constexpr int32_t CanvasWidth = FrameWidth;
  CommonClip clip = CommonClipStretch(copy, CanvasWidth, FrameHeight);
  if (CommonClipEmpty(clip)) {
    return false;
  }
  if (!Waited) {
    WebWaitForFrame();
  }
  Waited = false;
  UseDepth(WebModeDepth());
  CommonStretchCopy(image, copy, clip, Canvas + clip.top * CanvasWidth + clip.left, CanvasWidth * sizeof(uint32_t),
                    Levels);
  Show();
  return true;
}
