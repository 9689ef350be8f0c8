// MPEG audio Layer III frame headers: what one says, where a stream of them
// begins and where its run of whole frames ends. Plain bytes in, no system
// types, so the Windows decoder's framing is built and tested on every host.
#pragma once
#include <cstddef>

// What one frame header says.
struct Mp3FrameHeader {
  int version;      // 1, 2 or 25 (MPEG 2.5)
  int rate;         // samples per second
  int channels;     // 1 or 2
  int kilobits;     // bit rate, kbit/s
  size_t length;    // bytes, header included
  size_t unpadded;  // bytes without the padding slot: the codec's block size
};

constexpr size_t Mp3SearchRoom = 65536;  // a stream must begin this close to the start
constexpr int Mp3FramesInARow = 3;       // frame headers that must follow each other

// Reads a Layer III frame header at `at` (of which `left` bytes may be
// read); false for anything else, `header` then unchanged.
bool Mp3ReadHeader(const unsigned char* at, size_t left, Mp3FrameHeader* header);

// The offset of the first frame that the next Mp3FramesInARow - 1 frames
// follow in the same version and rate, within the first Mp3SearchRoom
// bytes; `length` when there is none. `first` gets that frame's header.
size_t Mp3FindStream(const unsigned char* data, size_t length, Mp3FrameHeader* first);

// Where the run of whole frames that begins at `start` ends: the first
// offset that holds no header or whose frame would pass `length`.
size_t Mp3StreamEnd(const unsigned char* data, size_t length, size_t start);
