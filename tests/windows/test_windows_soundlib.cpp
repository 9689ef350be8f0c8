// fmod.dll for Windows, loaded from beside this program and driven through
// the system's binding, and its MP3 decoder on its own. The Wine stage runs
// it without a sound device (the silent output that follows the clock) and
// again with one (ALSA's null device behind waveOut); each output's test
// skips itself in the other setting. The music comes from the content build
// as music.mp3 beside this program.
#include "base/syserror.h"
#include "sound/sound.h"
#include "soundlib/core.h"
#include "tests/common/position_watch.h"
#include "tests/windows/music_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {

constexpr uint32_t MusicFrames = 5220 * 1152;  // the delivered music's MPEG frames, in samples
constexpr double MixingRate = 44100;

const std::vector<unsigned char>& Music() {
  static const std::vector<unsigned char> music = [] {
    std::vector<unsigned char> bytes = ReadMusic();
    if (!bytes.empty()) {
      bytes.resize(bytes.size() + TestMusicTrailingZeros, 0);
    }
    return bytes;
  }();
  return music;
}

class WindowsSoundLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    SystemError = ErrorNone;
    ASSERT_FALSE(Music().empty()) << "music.mp3 is not beside the test program";
  }
  void TearDown() override { SoundClose(); }
};

TEST_F(WindowsSoundLibrary, WithoutADeviceThePositionFollowsTheClockAndStopHoldsIt) {
  if (waveOutGetNumDevs() != 0) {
    GTEST_SKIP() << "a waveOut device is there: the silent output is not used";
  }
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  ASSERT_TRUE(SoundLoadMemory(Music().data(), static_cast<uint32_t>(Music().size())));
  EXPECT_EQ(SoundPosition(), 0u) << "channel 0 before play";
  SoundPlay();
  std::vector<Reading> readings = WatchPosition(1.5);
  EXPECT_TRUE(NeverGoesBack(readings));
  EXPECT_LT(std::abs(PositionRateError(readings, "the silent output", MixingRate)), 0.02);
  ExpectStopHoldsThePosition();
}

// The feeder hands buffer after buffer to waveOut: the position grows
// without going back, a stop holds it, and the close returns.
TEST_F(WindowsSoundLibrary, ThroughWaveOutThePositionGrowsAndStopHoldsIt) {
  if (waveOutGetNumDevs() == 0) {
    GTEST_SKIP() << "no waveOut device";
  }
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  ASSERT_TRUE(SoundLoadMemory(Music().data(), static_cast<uint32_t>(Music().size())));
  SoundPlay();
  std::vector<Reading> readings = WatchPosition(1.0);
  EXPECT_TRUE(NeverGoesBack(readings));
  std::printf("position after %.2f s through waveOut: %u\n", readings.back().seconds, readings.back().position);
  // At least the buffers queued at the start and one more round of them.
  EXPECT_GT(readings.back().position, 8u * SoundDeviceFrames);
  ExpectStopHoldsThePosition();
}

TEST_F(WindowsSoundLibrary, RefusesWhatIsNoMpegAudioAndEveryModule) {
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  const std::vector<unsigned char> garbage = TestNoise();
  const std::vector<unsigned char> zeros(TestMusicTrailingZeros, 0);
  EXPECT_FALSE(SoundLoadMemory(garbage.data(), static_cast<uint32_t>(garbage.size())));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_FALSE(SoundLoadMemory(zeros.data(), static_cast<uint32_t>(zeros.size())));
  EXPECT_FALSE(SoundLoadMemory(Music().data(), 0));
  SystemError = ErrorNone;
  EXPECT_FALSE(SoundLoadFile("qz_no_such_music.mp3"));
  EXPECT_EQ(SystemError, ErrorSoundFile);
  SystemError = ErrorNone;
  EXPECT_TRUE(SoundLoadFile("music.mp3"));
  EXPECT_EQ(SystemError, ErrorNone);
  SoundClose();

  ASSERT_TRUE(SoundOpen(TestModuleTag, 0));
  EXPECT_FALSE(SoundLoadMemory(Music().data(), static_cast<uint32_t>(Music().size())));
  EXPECT_EQ(SystemError, ErrorSound);
}

// The decoder alone, over the whole music and the zeros behind it: the
// ACM's PCM at the stream's rate, one sample per sample of the stream
// (measured with Wine's codec), nothing from the zeros and none lost to them.
TEST(WindowsMp3Decoder, DecodesTheWholeMusicAtItsRate) {
  ASSERT_FALSE(Music().empty()) << "music.mp3 is not beside the test program";
  SoundDecoder* decoder = SoundDecoderOpen(Music().data(), Music().size());
  ASSERT_NE(decoder, nullptr);
  std::vector<SoundFrame> block(4096);
  uint64_t total = 0;
  uint64_t sounding = 0;
  bool ended = false;
  while (!ended) {
    uint32_t got = SoundDecoderRead(decoder, block.data(), static_cast<uint32_t>(block.size()), &ended);
    for (uint32_t i = 0; i < got; i++) {
      sounding += block[i].left != 0 || block[i].right != 0;
    }
    total += got;
    ASSERT_LE(total, uint64_t{MusicFrames} * 2) << "decoding does not end";
  }
  EXPECT_EQ(SoundDecoderRate(decoder), 44100);
  std::printf("decoded %llu frames for %u in the stream\n", static_cast<unsigned long long>(total), MusicFrames);
  EXPECT_EQ(total, uint64_t{MusicFrames});
  EXPECT_GT(sounding, total / 2);
  SoundDecoderClose(decoder);

  const unsigned char text[] = "no MPEG audio in here, only text that goes on and on";
  EXPECT_EQ(SoundDecoderOpen(text, sizeof text), nullptr);
}

}  // namespace
