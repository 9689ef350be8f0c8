// fmod.dll's waveOut output when the device goes away mid-run: built from
// the library's own sources over a waveOut of this test's, which plays in
// real time and then refuses every buffer with MMSYSERR_NODRIVER, as a
// removed device's driver does. The music must play on, silently, at the
// mixing rate, and closing must not hang. The music is music.mp3 beside
// this program, as for the library's other tests.
#include "soundlib/core.h"
#include "tests/windows/music_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int MixingRate = 44100;
constexpr int WritesBeforeLoss = 20;           // about half a second of music
constexpr DWORD BufferMs = 1000 * SoundDeviceFrames / MixingRate;

// The waveOut under the library. Its feeder thread alone writes.
std::atomic<int> Writes;
std::atomic<int> Refused;
HANDLE DoneEvent = nullptr;

MMRESULT WINAPI FakeOpen(LPHWAVEOUT device, UINT, LPCWAVEFORMATEX, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
  if ((flags & CALLBACK_TYPEMASK) != CALLBACK_EVENT) {
    return MMSYSERR_INVALFLAG;
  }
  DoneEvent = reinterpret_cast<HANDLE>(callback);
  *device = reinterpret_cast<HWAVEOUT>(1);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakePrepare(HWAVEOUT, LPWAVEHDR header, UINT) {
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeUnprepare(HWAVEOUT, LPWAVEHDR header, UINT) {
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

// Plays each buffer for its length, then hands it back; from the chosen
// write on the driver is gone.
MMRESULT WINAPI FakeWrite(HWAVEOUT, LPWAVEHDR header, UINT) {
  if (Writes.fetch_add(1) >= WritesBeforeLoss) {
    Refused.fetch_add(1);
    return MMSYSERR_NODRIVER;
  }
  Sleep(BufferMs);
  header->dwFlags |= WHDR_DONE;
  SetEvent(DoneEvent);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeReset(HWAVEOUT) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI FakeClose(HWAVEOUT) { return MMSYSERR_NOERROR; }

}  // namespace

// The import slots the library's calls go through, filled with the fakes
// instead of winmm.dll's functions (this program does not link winmm). A
// slot's symbol is "__imp_name" on 64 bits and "__imp__name@bytes" on 32.
#if defined(__i386__)
#define QZ_IMPORT_SLOT(name, bytes) __asm__("__imp__" #name "@" #bytes)
#else
#define QZ_IMPORT_SLOT(name, bytes) __asm__("__imp_" #name)
#endif
extern "C" {
void* OpenSlot QZ_IMPORT_SLOT(waveOutOpen, 24) = reinterpret_cast<void*>(&FakeOpen);
void* PrepareSlot QZ_IMPORT_SLOT(waveOutPrepareHeader, 12) = reinterpret_cast<void*>(&FakePrepare);
void* UnprepareSlot QZ_IMPORT_SLOT(waveOutUnprepareHeader, 12) = reinterpret_cast<void*>(&FakeUnprepare);
void* WriteSlot QZ_IMPORT_SLOT(waveOutWrite, 12) = reinterpret_cast<void*>(&FakeWrite);
void* ResetSlot QZ_IMPORT_SLOT(waveOutReset, 4) = reinterpret_cast<void*>(&FakeReset);
void* CloseSlot QZ_IMPORT_SLOT(waveOutClose, 4) = reinterpret_cast<void*>(&FakeClose);
}

namespace {

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(WindowsLostOutput, MusicPlaysOnSilentlyInTimeAfterTheDriverGoes) {
  std::vector<unsigned char> music = ReadMusic();
  ASSERT_FALSE(music.empty()) << "music.mp3 is not beside the test program";
  ASSERT_EQ(FSOUND_Init(MixingRate, 32, 0), 1);
  void* sample = FSOUND_Sample_LoadMpegMemory(-1, music.data(), 0, static_cast<int>(music.size()));
  ASSERT_NE(sample, nullptr);
  int channel = FSOUND_PlaySound(-1, sample);
  ASSERT_GE(channel, 0);
  // The position is asked for every 5 ms, as the run loop does once per
  // frame; the library looks at the device each time.
  auto follow = [channel](double seconds) {
    Clock::time_point start = Clock::now();
    uint32_t position = FSOUND_GetCurrentPosition(channel);
    while (Since(start) < seconds) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      position = FSOUND_GetCurrentPosition(channel);
    }
    return position;
  };
  Clock::time_point start = Clock::now();
  while (Refused.load() == 0 && Since(start) < 20) {
    follow(0.005);
  }
  ASSERT_GT(Refused.load(), 0) << "the driver never went";

  // Past the loss the position follows the clock: a feeder that went on
  // mixing into refused buffers would run it far ahead, one that stopped
  // would hold it.
  follow(0.2);
  Clock::time_point from = Clock::now();
  uint32_t first = FSOUND_GetCurrentPosition(channel);
  uint32_t moved = follow(1.5) - first;
  double seconds = Since(from);
  std::printf("position rate after the driver went: %.1f per second\n", moved / seconds);
  EXPECT_NEAR(moved / seconds, MixingRate, 0.1 * MixingRate);
  EXPECT_EQ(Refused.load(), 1) << "a refused buffer ends the feeder";

  FSOUND_Close();  // returns: nothing waits on the lost device
}

}  // namespace
