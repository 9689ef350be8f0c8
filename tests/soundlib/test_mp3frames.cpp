// The Layer III frame-header reader that cuts the stream for the Windows
// codec: header fields of each MPEG version, padding, false syncs, where a
// stream begins and where its whole frames end.
#include "soundlib/mp3frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A frame of `length` bytes: the four header bytes, then zeros.
void AddFrame(Bytes& out, unsigned char b1, unsigned char b2, unsigned char b3, size_t length) {
  size_t at = out.size();
  out.resize(at + length, 0);
  out[at] = 0xFF;
  out[at + 1] = b1;
  out[at + 2] = b2;
  out[at + 3] = b3;
}

// MPEG 1, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes unpadded.
void AddMpeg1Frame(Bytes& out) { AddFrame(out, 0xFB, 0x90, 0x40, 417); }

Mp3FrameHeader Read(const Bytes& b) {
  Mp3FrameHeader h{};
  EXPECT_TRUE(Mp3ReadHeader(b.data(), b.size(), &h));
  return h;
}

TEST(Mp3Frames, HeadersOfEachVersionGiveRateBitRateAndLength) {
  struct Case {
    unsigned char b1, b2, b3;
    int version, rate, channels, kilobits;
    size_t length, unpadded;
  } cases[] = {
      {0xFB, 0x90, 0x00, 1, 44100, 2, 128, 417, 417},   // MPEG 1, stereo
      {0xFB, 0x92, 0x00, 1, 44100, 2, 128, 418, 417},   // padded
      {0xFA, 0xE4, 0xC0, 1, 48000, 1, 320, 960, 960},   // protected, mono
      {0xFB, 0x18, 0x40, 1, 32000, 2, 32, 144, 144},    // lowest bit rate, 32 kHz
      {0xF3, 0x80, 0x00, 2, 22050, 2, 64, 208, 208},    // MPEG 2
      {0xF3, 0x86, 0x80, 2, 24000, 2, 64, 193, 192},    // MPEG 2, 24 kHz, padded
      {0xE3, 0x18, 0xC0, 25, 8000, 1, 8, 72, 72},       // MPEG 2.5, 8 kHz
      {0xE3, 0xE4, 0x00, 25, 12000, 2, 160, 960, 960},  // MPEG 2.5, 12 kHz
  };
  for (const Case& c : cases) {
    Bytes b{0xFF, c.b1, c.b2, c.b3};
    Mp3FrameHeader h = Read(b);
    SCOPED_TRACE(testing::Message() << std::hex << int{c.b1} << " " << int{c.b2} << " " << int{c.b3});
    EXPECT_EQ(h.version, c.version);
    EXPECT_EQ(h.rate, c.rate);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.kilobits, c.kilobits);
    EXPECT_EQ(h.length, c.length);
    EXPECT_EQ(h.unpadded, c.unpadded);
  }
}

TEST(Mp3Frames, FalseSyncsAndShortInputAreNoHeader) {
  const Bytes falseSyncs[] = {
      {0xFF, 0x7B, 0x90, 0x00},  // sync bits incomplete
      {0xFE, 0xFB, 0x90, 0x00},
      {0xFF, 0xEB, 0x90, 0x00},  // reserved version
      {0xFF, 0xFD, 0x90, 0x00},  // Layer II
      {0xFF, 0xFF, 0x90, 0x00},  // Layer I
      {0xFF, 0xF9, 0x90, 0x00},  // reserved layer
      {0xFF, 0xFB, 0x00, 0x00},  // free format bit rate
      {0xFF, 0xFB, 0xF0, 0x00},  // bad bit rate
      {0xFF, 0xFB, 0x9C, 0x00},  // reserved sampling rate
  };
  for (const Bytes& b : falseSyncs) {
    Mp3FrameHeader h{7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(Mp3ReadHeader(b.data(), b.size(), &h)) << std::hex << int{b[1]} << " " << int{b[2]};
    EXPECT_EQ(h.length, 7u) << "a refused header leaves the result alone";
  }
  Bytes good{0xFF, 0xFB, 0x90, 0x00};
  Mp3FrameHeader h{};
  EXPECT_FALSE(Mp3ReadHeader(good.data(), 3, &h)) << "three bytes are not a header";
  EXPECT_TRUE(Mp3ReadHeader(good.data(), 4, &h));
}

TEST(Mp3Frames, StreamBeginsAtTheFirstOfThreeFramesInARow) {
  Bytes b(10, 0x55);
  // A lone header with no frame behind it: a false sync in the junk.
  AddFrame(b, 0xFB, 0x90, 0x00, 100);
  b.push_back(0x12);
  size_t start = b.size();
  for (int i = 0; i < 3; i++) {
    AddMpeg1Frame(b);
  }
  Mp3FrameHeader first{};
  EXPECT_EQ(Mp3FindStream(b.data(), b.size(), &first), start);
  EXPECT_EQ(first.rate, 44100);
  EXPECT_EQ(first.length, 417u);
}

TEST(Mp3Frames, NoStreamWithoutThreeMatchingFrames) {
  Mp3FrameHeader first{};
  Bytes two;
  AddMpeg1Frame(two);
  AddMpeg1Frame(two);
  EXPECT_EQ(Mp3FindStream(two.data(), two.size(), &first), two.size());

  // The rate changes after two frames.
  Bytes mixed = two;
  AddFrame(mixed, 0xFB, 0x94, 0x00, 384);  // 48 kHz
  mixed.resize(mixed.size() + 500, 0);
  EXPECT_EQ(Mp3FindStream(mixed.data(), mixed.size(), &first), mixed.size());

  // The third frame's header is the last byte of the input.
  Bytes cut = two;
  cut.push_back(0xFF);
  EXPECT_EQ(Mp3FindStream(cut.data(), cut.size(), &first), cut.size());

  Bytes none(4000, 0);
  EXPECT_EQ(Mp3FindStream(none.data(), none.size(), &first), none.size());
  EXPECT_EQ(Mp3FindStream(none.data(), 0, &first), 0u);
}

TEST(Mp3Frames, StreamMustBeginWithinTheSearchRoom) {
  for (size_t junk : {Mp3SearchRoom - 1, Mp3SearchRoom}) {
    Bytes b(junk, 0);
    for (int i = 0; i < 3; i++) {
      AddMpeg1Frame(b);
    }
    Mp3FrameHeader first{};
    EXPECT_EQ(Mp3FindStream(b.data(), b.size(), &first), junk < Mp3SearchRoom ? junk : b.size()) << junk;
  }
}

TEST(Mp3Frames, StreamEndsBeforeATruncatedFrameOrTrailingZeros) {
  Bytes b;
  for (int i = 0; i < 4; i++) {
    AddMpeg1Frame(b);
  }
  AddFrame(b, 0xFB, 0x92, 0x00, 418);  // padded
  EXPECT_EQ(Mp3StreamEnd(b.data(), b.size(), 0), 2086u);

  Bytes zeros = b;
  zeros.resize(zeros.size() + 18254, 0);
  EXPECT_EQ(Mp3StreamEnd(zeros.data(), zeros.size(), 0), 2086u);

  // The last frame lacks its final byte.
  EXPECT_EQ(Mp3StreamEnd(b.data(), b.size() - 1, 0), 1668u);
  // Only a header's worth of the next frame.
  Bytes header = b;
  header.insert(header.end(), {0xFF, 0xFB, 0x90, 0x00});
  EXPECT_EQ(Mp3StreamEnd(header.data(), header.size(), 417), 2086u);
  EXPECT_EQ(Mp3StreamEnd(b.data(), b.size(), b.size()), b.size());
}

}  // namespace
