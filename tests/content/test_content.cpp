// The content the build made: picture items of the right shape whose
// palettes are well used, and an MP3 stream with exactly the form the
// player expects and its cues where the scenes wait for them.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "content/lib/pngio.h"

namespace {

using content::IndexedImage;

std::vector<uint8_t> Load(const std::string& name) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(content::ReadFile(std::string(QZ_CONTENT_DIR) + "/" + name, bytes, error)) << error;
  return bytes;
}

struct PictureCase {
  const char* name;
  size_t width;
};

class Picture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Picture, ItemsHaveTheirSizesAndPalettesUseTheirEntries) {
  const PictureCase& p = GetParam();
  std::vector<uint8_t> pal = Load(std::string(p.name) + ".pal");
  std::vector<uint8_t> pix = Load(std::string(p.name) + ".pix");
  ASSERT_EQ(pal.size(), 1024u);
  ASSERT_EQ(pix.size(), p.width * 240);
  std::set<uint32_t> colours;
  for (size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(pal[i * 4 + 3], 0) << "entry " << i;
    colours.insert(uint32_t(pal[i * 4]) | uint32_t(pal[i * 4 + 1]) << 8 | uint32_t(pal[i * 4 + 2]) << 16);
  }
  std::set<uint8_t> used(pix.begin(), pix.end());
  // Smooth gradients need many distinct steps: nearly every entry is a
  // distinct colour and is used.
  EXPECT_GE(colours.size(), 240u);
  EXPECT_GE(used.size(), 240u);
}

TEST_P(Picture, PreviewShowsExactlyTheItems) {
  const PictureCase& p = GetParam();
  content::PngPicture png;
  std::string error;
  ASSERT_TRUE(content::ReadPng(std::string(QZ_CONTENT_DIR) + "/" + p.name + ".png", png, error)) << error;
  ASSERT_TRUE(png.indexed);
  EXPECT_EQ(png.image.width, int(p.width));
  EXPECT_EQ(png.image.height, 240);
  EXPECT_EQ(png.image.pixels, Load(std::string(p.name) + ".pix"));
  EXPECT_EQ(content::PaletteItem(png.image), Load(std::string(p.name) + ".pal"));
}

INSTANTIATE_TEST_SUITE_P(All, Picture,
                         ::testing::Values(PictureCase{"loading", 320}, PictureCase{"opening", 320},
                                           PictureCase{"closing", 320}, PictureCase{"wide", 3200}),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr size_t Mp3Bytes = 2181746;
constexpr size_t Mp3Frames = 5220;
constexpr size_t SamplesPerFrame = 1152;

// Walks the raw frame headers: every frame MPEG-1 Layer III without CRC,
// 128 kbit/s, 44,100 Hz, joint stereo, back to back to the last byte.
TEST(Music, RawFrameHeadersDescribeTheExpectedStream) {
  std::vector<uint8_t> mp3 = Load("music.mp3");
  ASSERT_EQ(mp3.size(), Mp3Bytes);
  ASSERT_FALSE(std::memcmp(mp3.data(), "ID3", 3) == 0) << "ID3v2 tag at the start";
  ASSERT_FALSE(std::memcmp(mp3.data() + mp3.size() - 128, "TAG", 3) == 0) << "ID3v1 tag at the end";
  size_t at = 0;
  size_t frames = 0;
  while (at + 4 <= mp3.size()) {
    const uint8_t* h = mp3.data() + at;
    ASSERT_EQ(h[0], 0xFF) << "frame " << frames;
    ASSERT_EQ(h[1], 0xFB) << "frame " << frames;         // sync, MPEG-1, Layer III, no CRC
    ASSERT_EQ(h[2] >> 4, 9) << "frame " << frames;       // 128 kbit/s
    ASSERT_EQ((h[2] >> 2) & 3, 0) << "frame " << frames; // 44,100 Hz
    ASSERT_EQ(h[3] >> 6, 1) << "frame " << frames;       // joint stereo
    at += 144 * 128000 / 44100 + ((h[2] >> 1) & 1);
    ++frames;
  }
  EXPECT_EQ(at, mp3.size());
  EXPECT_EQ(frames, Mp3Frames);
  // No Xing or Info tag frame (which would carry a LAME tag) in front of
  // the music: such a frame has its tag right after the 32 bytes of side
  // information of an MPEG-1 stereo frame.
  std::string tag(reinterpret_cast<const char*>(mp3.data()) + 4 + 32, 4);
  EXPECT_NE(tag, "Xing");
  EXPECT_NE(tag, "Info");
}

struct Decoder {
  mpg123_handle* mh = nullptr;
  Decoder() {
    mpg123_init();
    mh = mpg123_new(nullptr, nullptr);
  }
  ~Decoder() {
    if (mh != nullptr) {
      mpg123_close(mh);
      mpg123_delete(mh);
    }
  }
};

// libmpg123's own reading of every frame agrees.
TEST(Music, DecoderReadsEveryFrameAsConstant128kJointStereo) {
  Decoder d;
  ASSERT_NE(d.mh, nullptr);
  ASSERT_EQ(mpg123_open(d.mh, (std::string(QZ_CONTENT_DIR) + "/music.mp3").c_str()), MPG123_OK);
  size_t frames = 0;
  int rc;
  while ((rc = mpg123_framebyframe_next(d.mh)) == MPG123_OK || rc == MPG123_NEW_FORMAT) {
    mpg123_frameinfo info;
    ASSERT_EQ(mpg123_info(d.mh, &info), MPG123_OK);
    ASSERT_EQ(info.version, MPG123_1_0);
    ASSERT_EQ(info.layer, 3);
    ASSERT_EQ(info.rate, 44100);
    ASSERT_EQ(info.bitrate, 128);
    ASSERT_EQ(info.mode, MPG123_M_JOINT);
    ASSERT_EQ(info.vbr, MPG123_CBR);
    ++frames;
  }
  EXPECT_EQ(rc, MPG123_DONE);
  EXPECT_EQ(frames, Mp3Frames);
}

double Rms(const std::vector<int16_t>& pcm, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) {
    double l = pcm[i * 2] / 32768.0;
    double r = pcm[i * 2 + 1] / 32768.0;
    sum += l * l + r * r;
  }
  return std::sqrt(sum / double(2 * (to - from)));
}

// Decoded as the player decodes it, the stream is 5,220 frames of samples,
// and the two scene cues (the scroller's fade-out, the closing picture)
// each fall on a sudden rise in loudness, heard at that decoded position.
TEST(Music, CuesAreHeardAtTheirDecodedPositions) {
  Decoder d;
  ASSERT_NE(d.mh, nullptr);
  mpg123_format_none(d.mh);
  ASSERT_EQ(mpg123_format(d.mh, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16), MPG123_OK);
  ASSERT_EQ(mpg123_open(d.mh, (std::string(QZ_CONTENT_DIR) + "/music.mp3").c_str()), MPG123_OK);
  std::vector<int16_t> pcm;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    size_t got = 0;
    int rc = mpg123_read(d.mh, buffer.data(), buffer.size(), &got);
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer.data());
    pcm.insert(pcm.end(), s, s + got / 2);
    if (rc == MPG123_DONE) {
      break;
    }
    ASSERT_TRUE(rc == MPG123_OK || rc == MPG123_NEW_FORMAT) << mpg123_plain_strerror(rc);
  }
  ASSERT_EQ(pcm.size() / 2, Mp3Frames * SamplesPerFrame);

  const size_t cues[] = {5423104, 5505536};
  for (size_t cue : cues) {
    double before = Rms(pcm, cue - 3072, cue - 256);
    double after = Rms(pcm, cue + 64, cue + 2048);
    EXPECT_GT(20 * std::log10(after / before), 9.0) << "cue " << cue;
    // The rise is at the cue, not somewhere in the bar before it.
    double earlier = Rms(pcm, cue - 6144, cue - 3072);
    EXPECT_LT(earlier, after / 2) << "cue " << cue;
  }
  // Music plays on after the closing cue for the closing picture's fade-in,
  // hold and fade-out (4,096 + 2,000 + 4,096 ms), then dies away.
  size_t closing_end = 5505536 + (4096 + 2000 + 4096) * 441 / 10;
  EXPECT_GT(Rms(pcm, closing_end - 88200, closing_end - 44100), 0.003);
  EXPECT_LT(Rms(pcm, pcm.size() / 2 - 4410, pcm.size() / 2), 0.001);
}

}  // namespace
