// Layer III frame headers, as the Windows decoder cuts the stream into the
// whole frames its codec wants.
#include "soundlib/mp3frames.h"

namespace {

constexpr int Layer3Kilobits[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG 1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG 2 and 2.5
};
constexpr int Rates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

}  // namespace

bool Mp3ReadHeader(const unsigned char* at, size_t left, Mp3FrameHeader* header) {
  if (left < 4 || at[0] != 0xFF || (at[1] & 0xE0) != 0xE0) {
    return false;
  }
  int versionBits = (at[1] >> 3) & 3;
  int layerBits = (at[1] >> 1) & 3;
  int bitrateIndex = at[2] >> 4;
  int rateIndex = (at[2] >> 2) & 3;
  int padding = (at[2] >> 1) & 1;
  if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
    return false;
  }
  int family = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
  header->version = family == 0 ? 1 : family == 1 ? 2 : 25;
  header->rate = Rates[family][rateIndex];
  header->channels = (at[3] >> 6) == 3 ? 1 : 2;
  header->kilobits = Layer3Kilobits[family == 0 ? 0 : 1][bitrateIndex];
  size_t perFrame = family == 0 ? 144000 : 72000;
  header->unpadded = perFrame * static_cast<size_t>(header->kilobits) / static_cast<size_t>(header->rate);
  header->length = header->unpadded + static_cast<size_t>(padding);
  return true;
}

size_t Mp3FindStream(const unsigned char* data, size_t length, Mp3FrameHeader* first) {
  size_t limit = length < Mp3SearchRoom ? length : Mp3SearchRoom;
  for (size_t start = 0; start < limit; start++) {
    if (!Mp3ReadHeader(data + start, length - start, first)) {
      continue;
    }
    size_t at = start;
    Mp3FrameHeader next = *first;
    int found = 1;
    while (found < Mp3FramesInARow) {
      at += next.length;
      if (at >= length || !Mp3ReadHeader(data + at, length - at, &next) || next.version != first->version ||
          next.rate != first->rate) {
        break;
      }
      found++;
    }
    if (found == Mp3FramesInARow) {
      return start;
    }
  }
  return length;
}

size_t Mp3StreamEnd(const unsigned char* data, size_t length, size_t start) {
  size_t at = start;
  Mp3FrameHeader header{};
  while (at < length && Mp3ReadHeader(data + at, length - at, &header) && header.length <= length - at) {
    at += header.length;
  }
  return at;
}
