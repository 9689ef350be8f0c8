// A real run of the video layer for the Xvfb stage: shows a known frame in
// the mode asked for and reports the messages the demo window receives; or
// checks a screen image read back from the X server against that frame.
//
//   qz_video_xvfb show MODE      MODE: window, auto, 16, 15, 24, surface
//   qz_video_xvfb check MODE DEPTH IMAGE.ppm
#include "app/winproc.h"
#include "base/syserror.h"
#include "platform/plat_system.h"
#include "platform/plat_window.h"
#include "tests/common/ppm.h"
#include "video/video.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t Width = 320;
constexpr uint32_t Height = 240;
constexpr uint32_t WindowHeight = 256;   // what start-up asks a window for
constexpr uint64_t GiveUpNanoseconds = 60'000'000'000;

// Every pixel distinct from its neighbours, with all low bits in play.
uint32_t Pattern(uint32_t x, uint32_t y) {
  uint32_t red = (x * 7 + y) & 0xFF;
  uint32_t green = (x + y * 3) & 0xFF;
  uint32_t blue = (x ^ y) & 0xFF;
  return red << 16 | green << 8 | blue;
}

// How a display of `depth` bits shows a 32-bit value: each channel keeps its
// top bits, which are then repeated into the low ones.
uint32_t AtDepth(uint32_t value, uint32_t depth) {
  uint32_t bits[3] = {8, 8, 8};
  if (depth == 16) {
    bits[1] = 6;
    bits[0] = bits[2] = 5;
  } else if (depth == 15) {
    bits[0] = bits[1] = bits[2] = 5;
  }
  uint32_t shown = 0;
  for (int c = 0; c < 3; c++) {
    uint32_t v = (value >> (16 - 8 * c)) & 0xFF;
    uint32_t kept = v >> (8 - bits[c]);
    uint32_t spread = bits[c] == 8 ? v : (kept << (8 - bits[c])) | (kept >> (2 * bits[c] - 8));
    shown |= spread << (16 - 8 * c);
  }
  return shown;
}

int Show(const char* mode) {
  bool opened = false;
  bool windowed = std::strcmp(mode, "window") == 0;
  SetWindowProcedure(WindowProcedure);
  if (windowed) {
    opened = OpenVideo(Width, WindowHeight, ModeWindow);
  } else if (std::strcmp(mode, "surface") == 0) {
    opened = OpenVideoSurface(Width, Height, ModeAutomatic);
  } else if (std::strcmp(mode, "auto") == 0) {
    opened = OpenVideo(Width, Height, ModeAutomatic);
  } else {
    opened = OpenVideo(Width, Height, static_cast<int32_t>(std::strtol(mode, nullptr, 10)));
  }
  if (!opened) {
    std::printf("open failed %u\n", SystemError);
    return 10 + static_cast<int>(SystemError);
  }
  uint32_t* frame = CreateFrameBuffer(Width, Height, 32);
  if (frame == nullptr) {
    std::printf("no frame\n");
    return 4;
  }
  for (uint32_t y = 0; y < Height; y++) {
    for (uint32_t x = 0; x < Width; x++) {
      frame[y * Width + x] = Pattern(x, y);
    }
  }
  PresentFrame();
  std::printf("ready chosen=%u\n", QueryChosenMode().depth);
  std::fflush(stdout);

  // The run loop's shape: present, then at most one message.
  QuitRequested = 0;
  uint64_t start = PlatClockNanoseconds();
  uint64_t passes = 0;
  while (QuitRequested == 0) {
    passes++;
    if (PlatClockNanoseconds() - start > GiveUpNanoseconds) {
      std::printf("gave up\n");
      return 3;
    }
    PresentFrame();
    PlatMessage message;
    if (PlatPeekMessage(&message)) {
      PlatTranslateMessage(&message);
      if (message.window == VideoWindow() && message.message != WM_NULL && message.message != WM_PAINT) {
        std::printf("message 0x%x wParam 0x%x\n", message.message, message.wParam);
        std::fflush(stdout);
      }
      PlatDispatchMessage(&message);
    }
    if (windowed) {
      PlatSleep(2);  // a window is not paced by the display
    }
  }
  uint64_t elapsed = (PlatClockNanoseconds() - start) / 1'000'000;
  std::printf("quit after %llu passes in %llu ms\n", static_cast<unsigned long long>(passes),
              static_cast<unsigned long long>(elapsed));
  std::fflush(stdout);
  ReleaseFrameContext();
  CloseVideo();
  return 0;
}

// The screen's top-left areaWidth x areaHeight shows a picture of Width x
// pictureHeight (the frame, black below it) at the largest whole factor that
// fits, centred on black. The rest of the screen is not looked at.
int Check(const char* mode, uint32_t depth, const char* path, uint32_t areaWidth, uint32_t areaHeight,
          uint32_t pictureHeight) {
  std::vector<uint32_t> screen;
  uint32_t screenWidth = 0;
  uint32_t screenHeight = 0;
  if (!PpmRead(path, screen, screenWidth, screenHeight)) {
    std::printf("cannot read %s\n", path);
    return 1;
  }
  if (areaWidth == 0) {
    areaWidth = screenWidth;
    areaHeight = screenHeight;
  }
  if (areaWidth > screenWidth || areaHeight > screenHeight || areaWidth < Width || areaHeight < pictureHeight) {
    std::printf("an area of %ux%u does not fit %ux%u or the picture\n", areaWidth, areaHeight, screenWidth,
                screenHeight);
    return 1;
  }
  // Where the frame sits and how large each of its pixels is.
  uint32_t factor = std::min(areaWidth / Width, areaHeight / pictureHeight);
  uint32_t left = (areaWidth - Width * factor) / 2;
  uint32_t top = (areaHeight - pictureHeight * factor) / 2;
  uint32_t wrong = 0;
  for (uint32_t y = 0; y < areaHeight; y++) {
    for (uint32_t x = 0; x < areaWidth; x++) {
      uint32_t want = 0;
      if (x >= left && y >= top && x < left + Width * factor && y < top + Height * factor) {
        want = AtDepth(Pattern((x - left) / factor, (y - top) / factor), depth);
      }
      uint32_t have = screen[static_cast<size_t>(y) * screenWidth + x];
      if (have != want && wrong++ < 5) {
        std::printf("screen (%u, %u): 0x%06x, want 0x%06x\n", x, y, have, want);
      }
    }
  }
  std::printf("%s at depth %u: factor %u at (%u, %u) on %ux%u, %u pixels wrong\n", mode, depth, factor, left, top,
              screenWidth, screenHeight, wrong);
  return wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "show") == 0) {
    return Show(argv[2]);
  }
  if (argc == 5 && std::strcmp(argv[1], "check") == 0) {
    // A window is its client at the top left, the picture's size though the
    // request was 16 rows taller (no window manager, so no caption); full
    // screen the screen.
    bool window = std::strcmp(argv[2], "window") == 0;
    return Check(argv[2], static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)), argv[4], window ? Width : 0,
                 window ? Height : 0, Height);
  }
  if (argc == 8 && std::strcmp(argv[1], "check") == 0) {
    // A window of any size: its client's size and the height of its picture.
    auto number = [&](int i) { return static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)); };
    return Check(argv[2], number(3), argv[4], number(5), number(6), number(7));
  }
  std::fprintf(stderr, "usage: %s show MODE | check MODE DEPTH IMAGE.ppm [WIDTH HEIGHT PICTURE_HEIGHT]\n",
               argv[0]);
  return 2;
}
