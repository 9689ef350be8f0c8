// qz_webframes: names the frames the browser tests read back from the
// page's canvas, by comparing each with the frames the system's drawing
// makes on the host.
//
//   qz_webframes PROGRAM_FILE DEPTH FRAME.rgba...
//
// Each frame file is 320x240 pixels of four bytes (red, green, blue, alpha)
// as the canvas gives them. One line per frame: its file name and what it is
// (see ClassifyFrame). Exit status 1 when the program file cannot be read.
#include "demo/draw.h"
#include "tests/web/frames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t CanvasBytes = FramePixels * 4;

uint8_t Bytes[CanvasBytes];
uint32_t Pixels[FramePixels];

bool ReadFrame(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    return false;
  }
  size_t got = std::fread(Bytes, 1, CanvasBytes, f);
  std::fclose(f);
  if (got != CanvasBytes) {
    return false;
  }
  for (uint32_t i = 0; i < FramePixels; i++) {
    const uint8_t* p = Bytes + i * 4;
    Pixels[i] = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qz_webframes PROGRAM_FILE DEPTH FRAME.rgba...\n");
    return 1;
  }
  if (!LoadReferencePictures(argv[1])) {
    std::fprintf(stderr, "qz_webframes: cannot read the pictures of %s\n", argv[1]);
    return 1;
  }
  UseReferenceDepth(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
  for (int i = 3; i < argc; i++) {
    std::printf("%s %s\n", argv[i], ReadFrame(argv[i]) ? ClassifyFrame(Pixels).c_str() : "unreadable");
  }
  return 0;
}
