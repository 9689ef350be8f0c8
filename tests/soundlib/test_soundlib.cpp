// Our sound library, loaded by name from beside this program and driven
// through the system's binding: MPEG playback into SDL's "disk" driver
// compared with a reference decode, the position against the wall clock,
// the silent output without a device, loads that must be accepted or
// refused (damaged MPEG audio among them), and a tracker module's order and
// row.
#include "base/syserror.h"
#include "platform/plat_module.h"
#include "sound/sound.h"
#include "tests/common/position_watch.h"
#include "tests/soundlib/mp3_sweep.h"
#include "tests/common/thread_limit.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string TempPath(const char* name) {
  return testing::TempDir() + "qz_soundlib_" + std::to_string(getpid()) + "_" + name;
}

void UseDiskOutput(const std::string& file) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

std::vector<int16_t> ReadSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
  return samples;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// First stereo frame with a non-zero sample, or the frame count.
size_t FirstSoundingFrame(const std::vector<int16_t>& pcm) {
  for (size_t i = 0; i < pcm.size(); i++) {
    if (pcm[i] != 0) {
      return i / 2;
    }
  }
  return pcm.size() / 2;
}

const std::vector<unsigned char>& ShortMp3() {
  static const std::vector<unsigned char> mp3 = EncodeSweep(2.5);
  return mp3;
}

std::vector<unsigned char> WithTrailingZeros(const std::vector<unsigned char>& mp3) {
  std::vector<unsigned char> buffer = mp3;
  buffer.resize(mp3.size() + TestMusicTrailingZeros, 0);
  return buffer;
}

class SoundLibrary : public ::testing::Test {
 protected:
  void SetUp() override { SystemError = ErrorNone; }
  void TearDown() override { SoundClose(); }
};

TEST_F(SoundLibrary, PlaysAnMp3IntoTheDiskDriverSampleForSampleAsTheReferenceDecode) {
  std::string output = TempPath("disk.raw");
  UseDiskOutput(output);
  const std::vector<int16_t> reference = ReferenceDecode(ShortMp3());
  const uint32_t frames = static_cast<uint32_t>(reference.size() / 2);
  ASSERT_GT(frames, 2u * SweepRate);

  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  std::vector<unsigned char> music = WithTrailingZeros(ShortMp3());
  ASSERT_TRUE(SoundLoadMemory(music.data(), static_cast<uint32_t>(music.size())));
  music.assign(music.size(), 0xAA);  // the library keeps its own copy
  EXPECT_EQ(SoundPosition(), 0u) << "channel 0 before play";
  SoundPlay();
  std::vector<Reading> readings = WatchPosition(10.0, frames);
  EXPECT_TRUE(NeverGoesBack(readings));
  ASSERT_EQ(readings.back().position, frames) << "the whole stream, the decoder's delay included";
  // The stream has ended; let a few more buffers of silence reach the file.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(SoundPosition(), frames) << "an ended channel keeps its final position";
  SoundStop();
  SoundStop();
  SoundClose();

  const std::vector<int16_t> played = ReadSamples(output);
  std::remove(output.c_str());
  size_t start = FirstSoundingFrame(played);
  size_t referenceStart = FirstSoundingFrame(reference);
  ASSERT_LT(referenceStart, 2000u);
  ASSERT_GE(start, referenceStart);
  size_t offset = start - referenceStart;  // where the stream's first frame landed
  ASSERT_GE(played.size() / 2, offset + frames) << "the file ends before the stream does";
  size_t mismatches = 0;
  size_t firstMismatch = 0;
  for (size_t i = 0; i < reference.size(); i++) {
    if (played[2 * offset + i] != reference[i] && mismatches++ == 0) {
      firstMismatch = i / 2;
    }
  }
  EXPECT_EQ(mismatches, 0u) << "first differing frame " << firstMismatch << " of " << frames;
  for (size_t i = 2 * (offset + frames); i < played.size(); i++) {
    ASSERT_EQ(played[i], 0) << "sound after the stream ended, frame " << i / 2 - offset;
  }
}

TEST_F(SoundLibrary, PositionAdvancesAtTheMixingRateOfTheDiskDriver) {
  std::string output = TempPath("rate.raw");
  UseDiskOutput(output);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  static const std::vector<unsigned char> mp3 = EncodeSweep(5.0);
  ASSERT_TRUE(SoundLoadMemory(mp3.data(), static_cast<uint32_t>(mp3.size())));
  // The device runs from the open on and writes silence until play.
  std::error_code ignored;
  uint64_t silence = std::filesystem::file_size(output, ignored) / 4;
  SoundPlay();
  std::vector<Reading> readings = WatchPosition(3.0);
  // The disk driver writes in real time only while it gets the processor;
  // on a busy machine it falls behind the wall clock. What the position must
  // do is count the frames the device has taken since play, so compare it
  // with what the driver wrote, read between two positions.
  uint32_t before = SoundPosition();
  uint64_t written = std::filesystem::file_size(output, ignored) / 4 - silence;
  uint32_t after = SoundPosition();
  SoundClose();
  std::remove(output.c_str());
  EXPECT_TRUE(NeverGoesBack(readings));
  // A few device buffers of 1,024 frames may lie between the two counts:
  // one taken but not yet written, one written just before play began, one
  // in the file's own write buffer.
  EXPECT_LE(before, written + 4096) << "position ahead of what the device took";
  EXPECT_GE(after + 4096, written) << "position behind what the device took";
  double error = PositionRateError(readings, "the disk driver", SweepRate);
  // Against the wall clock only a gross fault (double counting, a stall)
  // is caught; the driver's own pace decides the rest.
  EXPECT_LT(std::abs(error), 0.25);
}

TEST_F(SoundLibrary, WithoutAnAudioDeviceItSaysSoOnceAndPlaysToASilentOutputInRealTime) {
  setenv("SDL_AUDIODRIVER", "qz_no_such_driver", 1);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  SoundClose();
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  std::string said = testing::internal::GetCapturedStderr();
  size_t first = said.find("no audio device");
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find("no audio device", first + 1), std::string::npos) << said;

  ASSERT_TRUE(SoundLoadMemory(ShortMp3().data(), static_cast<uint32_t>(ShortMp3().size())));
  SoundPlay();
  std::vector<Reading> readings = WatchPosition(1.5);
  EXPECT_TRUE(NeverGoesBack(readings));
  EXPECT_LT(std::abs(PositionRateError(readings, "the silent output", SweepRate)), 0.02);
}

// Under a limit on threads: with no thread even for the silent output the
// open is refused (the program's code 6); opened before the limit, a load
// decodes the music on the caller's thread and the whole of it plays,
// beyond the first stretch that every load decodes at once.
TEST(SoundLibraryDeathTest, ARefusedThreadFailsTheOpenOrLoadsOnTheCallersThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  setenv("SDL_AUDIODRIVER", "qz_no_such_driver", 1);
  EXPECT_EXIT(
      {
        RefuseNewThreads();
        std::_Exit(!SoundOpen(SoundTypeMpeg, 0) && SystemError == ErrorSound ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        if (!SoundOpen(SoundTypeMpeg, 0)) {
          std::_Exit(2);
        }
        RefuseNewThreads();
        if (!SoundLoadMemory(ShortMp3().data(), static_cast<uint32_t>(ShortMp3().size()))) {
          std::_Exit(3);
        }
        SoundPlay();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (SoundPosition() < 2 * SweepRate && std::chrono::steady_clock::now() < until) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::_Exit(SoundPosition() >= 2 * SweepRate ? 0 : 4);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(SoundLibrary, StopHoldsThePositionAndMayBeRepeated) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  ASSERT_TRUE(SoundLoadMemory(ShortMp3().data(), static_cast<uint32_t>(ShortMp3().size())));
  SoundPlay();
  WatchPosition(0.3);
  uint32_t stopped = ExpectStopHoldsThePosition();
  // Playing again starts the stream over.
  SoundPlay();
  std::vector<Reading> again = WatchPosition(0.2);
  EXPECT_LT(again.front().position, stopped);
}

TEST_F(SoundLibrary, LoadsAcceptMpegAudioAndRefuseEverythingElse) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));

  const std::vector<unsigned char> garbage = TestNoise();
  const std::string text(4000, 'q');
  const std::vector<unsigned char> zeros(TestMusicTrailingZeros, 0);
  EXPECT_FALSE(SoundLoadMemory(garbage.data(), static_cast<uint32_t>(garbage.size())));
  EXPECT_EQ(SystemError, ErrorSound);
  EXPECT_FALSE(SoundLoadMemory(text.data(), static_cast<uint32_t>(text.size())));
  EXPECT_FALSE(SoundLoadMemory(zeros.data(), static_cast<uint32_t>(zeros.size())));
  EXPECT_FALSE(SoundLoadMemory(ShortMp3().data(), 0));

  SystemError = ErrorNone;
  std::string missing = TempPath("missing.mp3");
  EXPECT_FALSE(SoundLoadFile(missing.c_str()));
  EXPECT_EQ(SystemError, ErrorSoundFile);
  std::string bad = TempPath("garbage.mp3");
  WriteFile(bad, garbage);
  SystemError = ErrorNone;
  EXPECT_FALSE(SoundLoadFile(bad.c_str()));
  EXPECT_EQ(SystemError, ErrorSoundFile);
  std::remove(bad.c_str());

  std::vector<unsigned char> music = WithTrailingZeros(ShortMp3());
  std::string good = TempPath("good.mp3");
  WriteFile(good, music);
  SystemError = ErrorNone;
  EXPECT_TRUE(SoundLoadFile(good.c_str()));
  EXPECT_TRUE(SoundLoadMemory(music.data(), static_cast<uint32_t>(music.size())));
  EXPECT_EQ(SystemError, ErrorNone);
  std::remove(good.c_str());
}

// Damaged MPEG audio, memory and file alike: refused with the binding's
// codes, and nothing read past the data (the fuzz stage runs the same loads
// under AddressSanitizer).
TEST_F(SoundLibrary, DamagedMpegAudioIsRefusedWithItsCodes) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
  const std::vector<unsigned char>& mp3 = ShortMp3();
  ASSERT_GT(mp3.size(), 4000u);
  std::vector<std::vector<unsigned char>> damaged;
  // The first frame cut short, with and without the zeros behind it.
  damaged.emplace_back(mp3.begin(), mp3.begin() + 200);
  damaged.push_back(WithTrailingZeros(damaged.back()));
  // A lone header.
  damaged.emplace_back(mp3.begin(), mp3.begin() + 4);
  // An ID3v2 tag that claims far more than follows.
  damaged.push_back({'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 0xFF, 0xFB, 0x90, 0x00});
  // Every frame's sync byte gone.
  std::vector<unsigned char> unsynced = mp3;
  for (unsigned char& b : unsynced) {
    b = b == 0xFF ? 0x7F : b;
  }
  damaged.push_back(unsynced);
  std::string file = TempPath("damaged.mp3");
  for (size_t i = 0; i < damaged.size(); i++) {
    SCOPED_TRACE(i);
    SystemError = ErrorNone;
    EXPECT_FALSE(SoundLoadMemory(damaged[i].data(), static_cast<uint32_t>(damaged[i].size())));
    EXPECT_EQ(SystemError, ErrorSound);
    WriteFile(file, damaged[i]);
    SystemError = ErrorNone;
    EXPECT_FALSE(SoundLoadFile(file.c_str()));
    EXPECT_EQ(SystemError, ErrorSoundFile);
  }
  std::remove(file.c_str());
}

// The library's own entry points, for what the binding does not show.
TEST_F(SoundLibrary, PlayHandsOutChannelsAndRejectsWhatItDoesNotKnow) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  PlatModule lib = PlatModuleLoad("fmod.dll");
  ASSERT_NE(lib, nullptr);
  auto init = reinterpret_cast<int (*)(int, int, unsigned)>(PlatModuleSymbol(lib, "FSOUND_Init"));
  auto close = reinterpret_cast<void (*)()>(PlatModuleSymbol(lib, "FSOUND_Close"));
  auto load = reinterpret_cast<void* (*)(int, const void*, unsigned, int)>(
      PlatModuleSymbol(lib, "FSOUND_Sample_LoadMpegMemory"));
  auto play = reinterpret_cast<int (*)(int, void*)>(PlatModuleSymbol(lib, "FSOUND_PlaySound"));
  auto position = reinterpret_cast<unsigned (*)(int)>(PlatModuleSymbol(lib, "FSOUND_GetCurrentPosition"));
  auto stop = reinterpret_cast<int (*)(int)>(PlatModuleSymbol(lib, "FSOUND_StopSound"));
  ASSERT_TRUE(init && close && load && play && position && stop);

  const std::vector<unsigned char>& mp3 = ShortMp3();
  EXPECT_EQ(load(-1, mp3.data(), 0, static_cast<int>(mp3.size())), nullptr) << "nothing loads before init";
  ASSERT_EQ(init(44100, 4, 0), 1);
  EXPECT_EQ(init(44100, 4, 0), 0) << "already initialised";
  void* sample = load(-1, mp3.data(), 0, static_cast<int>(mp3.size()));
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(load(0, mp3.data(), 0, static_cast<int>(mp3.size())), nullptr) << "slot 0 is taken";
  EXPECT_EQ(play(-1, sample), 0);
  EXPECT_EQ(play(-1, sample), 1) << "channel 0 is busy";
  EXPECT_EQ(play(3, sample), 3);
  EXPECT_EQ(play(4, sample), -1) << "only four channels";
  EXPECT_EQ(play(-1, &sample), -1) << "not a sample";
  EXPECT_EQ(position(2), 0u);
  EXPECT_EQ(position(-1), 0u);
  EXPECT_EQ(stop(1), 1);
  EXPECT_EQ(stop(1), 1);
  EXPECT_EQ(play(-1, sample), 1) << "channel 1 was freed by its stop";
  close();
  close();
  PlatModuleFree(lib);
}

// --- the module family -----------------------------------------------------

// A 4-channel MOD: one looped square-wave sample, two patterns played in the
// orders 0, 1, 0, 1. The first row sets one tick per row (20 ms at the
// default tempo) and row 15 of each pattern breaks to the next order.
std::vector<unsigned char> BuildModule() {
  constexpr int Rows = 64, Channels = 4, BreakRow = 15, SampleWords = 16;
  std::vector<unsigned char> mod(20, 0);
  std::memcpy(mod.data(), "qz test module", 14);
  for (int s = 0; s < 31; s++) {
    unsigned char header[30] = {};
    if (s == 0) {
      std::memcpy(header, "square", 6);
      header[23] = SampleWords;  // length in words, big-endian
      header[25] = 64;           // volume
      header[29] = SampleWords;  // loop length in words: loop the whole sample
    } else {
      header[29] = 1;            // no loop
    }
    mod.insert(mod.end(), header, header + 30);
  }
  const unsigned char orders[] = {0, 1, 0, 1};
  mod.push_back(sizeof orders);
  mod.push_back(127);
  unsigned char table[128] = {};
  std::memcpy(table, orders, sizeof orders);
  mod.insert(mod.end(), table, table + 128);
  mod.insert(mod.end(), {'M', '.', 'K', '.'});
  for (int pattern = 0; pattern < 2; pattern++) {
    for (int row = 0; row < Rows; row++) {
      for (int ch = 0; ch < Channels; ch++) {
        unsigned char cell[4] = {};
        if (ch == 0 && row == 0) {
          const int period = pattern == 0 ? 428 : 320;
          cell[0] = static_cast<unsigned char>(period >> 8);
          cell[1] = static_cast<unsigned char>(period & 0xFF);
          cell[2] = 0x1F;  // sample 1, effect F: speed
          cell[3] = 0x01;  // one tick per row
        }
        if (ch == 1 && row == BreakRow) {
          cell[2] = 0x0D;  // effect D: pattern break to row 0
        }
        mod.insert(mod.end(), cell, cell + 4);
      }
    }
  }
  for (int i = 0; i < 2 * SampleWords; i++) {
    mod.push_back(i < SampleWords ? 0x40 : 0xC0);
  }
  return mod;
}

TEST_F(SoundLibrary, PlaysATrackerModuleReportingOrderAndRow) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(SoundOpen(TestModuleTag, 0));
  const std::vector<unsigned char> garbage(3000, 0x5A);
  EXPECT_FALSE(SoundLoadMemory(garbage.data(), static_cast<uint32_t>(garbage.size())));
  EXPECT_EQ(SystemError, ErrorSound);

  const std::vector<unsigned char> mod = BuildModule();
  std::string file = TempPath("song.mod");
  WriteFile(file, mod);
  EXPECT_TRUE(SoundLoadFile(file.c_str()));
  std::remove(file.c_str());
  ASSERT_TRUE(SoundLoadMemory(mod.data(), static_cast<uint32_t>(mod.size())));
  EXPECT_EQ(SoundPosition(), 0u);

  SoundPlay();
  std::vector<Reading> readings = WatchPosition(2.0);
  EXPECT_TRUE(NeverGoesBack(readings)) << "order * 256 + row only grows through the song";
  bool orderSeen[4] = {};
  uint32_t highestRow = 0;
  for (const Reading& r : readings) {
    uint32_t order = r.position >> 8;
    uint32_t row = r.position & 0xFF;
    ASSERT_LT(order, 4u);
    ASSERT_LE(row, 15u) << "row 15 breaks to the next order";
    orderSeen[order] = true;
    highestRow = row > highestRow ? row : highestRow;
  }
  for (int order = 0; order < 4; order++) {
    EXPECT_TRUE(orderSeen[order]) << "order " << order;
  }
  EXPECT_GE(highestRow, 12u);
  // 64 rows at 20 ms: the song is over by now and its position stays put.
  uint32_t last = SoundPosition();
  EXPECT_EQ(last >> 8, 3u);
  SoundStop();
  SoundStop();
  EXPECT_EQ(SoundPosition(), last);
}

}  // namespace
