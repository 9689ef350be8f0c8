// Fuzzes the Layer III frame-header reader that cuts the Windows decoder's
// input: the stream search and the end of its whole frames over any bytes,
// with the offsets they return held to the input.
#include "soundlib/mp3frames.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Mp3FrameHeader first{};
  size_t start = Mp3FindStream(data, size, &first);
  if (start > size) {
    std::abort();
  }
  if (start == size) {
    return 0;
  }
  if (first.length < 4 || first.unpadded > first.length || first.rate <= 0 || first.kilobits <= 0) {
    std::abort();
  }
  size_t end = Mp3StreamEnd(data, size, start);
  // A found stream has two whole frames (24 bytes at the least) and the
  // third's header, all inside the input.
  if (end < start + 2 * 24 || end > size) {
    std::abort();
  }
  return 0;
}
