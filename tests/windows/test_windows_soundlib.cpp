// fmod.dll for Windows, loaded from beside this program and driven through
// the system's binding, and its MP3 decoder on its own. The Wine stage runs
// it without a sound device (the silent output that follows the clock) and
// again with one (ALSA's null device behind waveOut); each output's test
// skips itself in the other setting. The music comes from the content build
// as music.mp3 beside this program.
#include "base/syserror.h"
#include "sound/sound.h"
#include "soundlib/core.h"
#include "tests/windows/music_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t TrailingZeros = 18254;        // what follows the stream in the system's music buffer
constexpr uint32_t MusicFrames = 5220 * 1152;  // the delivered music's MPEG frames, in samples
constexpr uint32_t ModuleTag = 0x4D4F4420;     // any tag but 'MPEG' selects the module family
constexpr double MixingRate = 44100;

const std::vector<unsigned char>& Music() {
  static const std::vector<unsigned char> music = [] {
    std::vector<unsigned char> bytes = ReadMusic();
    if (!bytes.empty()) {
      bytes.resize(bytes.size() + TrailingZeros, 0);
    }
    return bytes;
  }();
  return music;
}

struct Reading {
  double seconds;
  uint32_t position;
};

std::vector<Reading> WatchPosition(double seconds) {
  std::vector<Reading> readings;
  Clock::time_point start = Clock::now();
  for (;;) {
    // The time after the position: a reading is never ahead of its time.
    uint32_t position = SoundPosition();
    double t = std::chrono::duration<double>(Clock::now() - start).count();
    readings.push_back(Reading{t, position});
    if (t >= seconds) {
      return readings;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The rate the position keeps, from the readings least held back. The
// output mixes a buffer at each deadline; on a loaded machine it wakes late
// and then catches up, which a fit through all readings takes for speed. So
// in the first and the last quarter after the position moved, the reading
// furthest ahead of the nominal rate is one just after an on-time mix, and
// the slope between those two is the rate without the delays.
double PositionRate(const std::vector<Reading>& readings) {
  size_t from = 0;
  while (from < readings.size() && readings[from].position == 0) {
    from++;
  }
  size_t quarter = (readings.size() - from) / 4;
  if (quarter == 0) {
    return 0;
  }
  auto furthestAhead = [&](size_t begin, size_t end) {
    size_t pick = begin;
    for (size_t i = begin; i < end; i++) {
      if (readings[i].position - MixingRate * readings[i].seconds >
          readings[pick].position - MixingRate * readings[pick].seconds) {
        pick = i;
      }
    }
    return readings[pick];
  };
  Reading early = furthestAhead(from, from + quarter);
  Reading late = furthestAhead(readings.size() - quarter, readings.size());
  return (static_cast<double>(late.position) - early.position) / (late.seconds - early.seconds);
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
  std::vector<Reading> readings = WatchPosition(2.0);
  for (size_t i = 1; i < readings.size(); i++) {
    ASSERT_GE(readings[i].position, readings[i - 1].position) << "at " << readings[i].seconds << " s";
  }
  double error = PositionRate(readings) / MixingRate - 1.0;
  std::printf("position rate through the silent output: %+.2f%% off 44,100 per second\n", 100.0 * error);
  EXPECT_LT(std::abs(error), 0.02);

  SoundStop();
  uint32_t stopped = SoundPosition();
  EXPECT_GT(stopped, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SoundPosition(), stopped);
  SoundStop();
  EXPECT_EQ(SoundPosition(), stopped);
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
  for (size_t i = 1; i < readings.size(); i++) {
    ASSERT_GE(readings[i].position, readings[i - 1].position) << "at " << readings[i].seconds << " s";
  }
  std::printf("position after %.2f s through waveOut: %u\n", readings.back().seconds, readings.back().position);
  // At least the buffers queued at the start and one more round of them.
  EXPECT_GT(readings.back().position, 8u * SoundDeviceFrames);
  SoundStop();
  uint32_t stopped = SoundPosition();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SoundPosition(), stopped);
}

TEST_F(WindowsSoundLibrary, RefusesWhatIsNoMpegAudioAndEveryModule) {
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  std::vector<unsigned char> garbage(100000);
  uint32_t state = 12345;
  for (unsigned char& b : garbage) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(state >> 24);
  }
  const std::vector<unsigned char> zeros(TrailingZeros, 0);
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

  ASSERT_TRUE(SoundOpen(ModuleTag, 0));
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
