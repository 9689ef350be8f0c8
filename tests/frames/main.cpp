// qz_frames: names which frame of the presentation each screen image shows.
//
//   qz_frames PROGRAM-FILE [--at X Y] [--size W H] [--scale N] [--depth BITS]
//             [--closest] IMAGE...
//
// An image is a binary PPM (an X screenshot) or, named *.rgba, the 320x240
// canvas read back from the browser, four bytes a pixel (red, green, blue,
// alpha). The frame's top-left pixel lies at (X, Y) of the image (0 0);
// W x H of it are compared (320 240), every pixel exactly; with --scale
// each frame pixel is an N x N block; --depth gives the display mode's
// bits per pixel (32). One line per image, in order: its name (see
// ShotName), and with --closest the closest still picture of an unknown one.
// Exit status 0 when every image was named, 1 when one is unknown, 2 on bad
// arguments or an image that cannot be read or does not hold the frame.
#include "demo/draw.h"
#include "tests/common/ppm.h"
#include "tests/frames/frames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t LargestScale = 16;
constexpr size_t CanvasBytes = FramePixels * 4;

bool Number(const char* text, uint32_t* value) {
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 10);
  if (text[0] < '0' || text[0] > '9' || *end != '\0' || v > PpmLargestSide) {
    return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

bool EndsWith(const char* text, const char* tail) {
  size_t n = std::strlen(text);
  size_t t = std::strlen(tail);
  return n >= t && std::strcmp(text + n - t, tail) == 0;
}

bool ReadCanvas(const char* path, std::vector<uint32_t>& pixels) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    return false;
  }
  std::vector<uint8_t> bytes(CanvasBytes + 1);
  size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got != CanvasBytes) {
    return false;
  }
  pixels.resize(FramePixels);
  for (uint32_t i = 0; i < FramePixels; i++) {
    pixels[i] = uint32_t{bytes[i * 4]} << 16 | uint32_t{bytes[i * 4 + 1]} << 8 | bytes[i * 4 + 2];
  }
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: qz_frames PROGRAM-FILE [--at X Y] [--size W H] [--scale N] [--depth BITS] [--closest] "
               "IMAGE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ShotView view{nullptr, 0, 0, 0, 0, FrameWidth, FrameHeight, 1, 32};
  bool closest = false;
  int i = 2;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; i++) {
    const char* option = argv[i];
    bool ok = true;
    if (std::strcmp(option, "--at") == 0 && i + 2 < argc) {
      ok = Number(argv[i + 1], &view.x) && Number(argv[i + 2], &view.y);
      i += 2;
    } else if (std::strcmp(option, "--size") == 0 && i + 2 < argc) {
      ok = Number(argv[i + 1], &view.width) && Number(argv[i + 2], &view.height) && view.width > 0 &&
           view.height > 0 && view.width <= FrameWidth && view.height <= FrameHeight;
      i += 2;
    } else if (std::strcmp(option, "--scale") == 0 && i + 1 < argc) {
      ok = Number(argv[i + 1], &view.scale) && view.scale > 0 && view.scale <= LargestScale;
      i += 1;
    } else if (std::strcmp(option, "--depth") == 0 && i + 1 < argc) {
      ok = Number(argv[i + 1], &view.depth);
      i += 1;
    } else if (std::strcmp(option, "--closest") == 0) {
      closest = true;
    } else {
      ok = false;
    }
    if (!ok) {
      return Usage();
    }
  }
  if (argc < 2 || i >= argc) {
    return Usage();
  }
  if (!ShotLoadPictures(argv[1])) {
    std::fprintf(stderr, "qz_frames: cannot read the pictures of %s\n", argv[1]);
    return 2;
  }

  int status = 0;
  std::vector<uint32_t> pixels;
  for (; i < argc; i++) {
    bool read = false;
    if (EndsWith(argv[i], ".rgba")) {
      read = ReadCanvas(argv[i], pixels);
      view.imageWidth = FrameWidth;
      view.imageHeight = FrameHeight;
    } else {
      read = PpmRead(argv[i], pixels, view.imageWidth, view.imageHeight);
    }
    view.pixels = pixels.data();
    if (!read || !ShotViewFits(view)) {
      std::fprintf(stderr, "qz_frames: %s is not an image that holds the frame's rectangle\n", argv[i]);
      std::printf("unreadable\n");
      status = 2;
      continue;
    }
    std::string name = ShotName(view);
    if (name == "unknown") {
      if (closest) {
        name += ": " + ShotClosest(view);
      }
      status = status == 0 ? 1 : status;
    }
    std::printf("%s\n", name.c_str());
  }
  return status;
}
