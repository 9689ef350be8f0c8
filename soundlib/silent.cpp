// The silent output that stands in for a missing audio device, and the
// watch that puts it in for one lost mid-run. Started and stopped on the
// caller thread; the silent output mixes on a thread of its own.
#include "soundlib/silent.h"

#include "soundlib/core.h"
#include "platform/common/thread.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;

// --- output state ------------------------------------------------------------
bool DeviceOpen;                      // the system's output runs (caller thread only)
std::thread SilentThread;             // silent output, when no device exists or it was lost
std::atomic<bool> SilentQuit;         // asks the silent output to stop
std::atomic<bool> SilentNoticeGiven;  // the no-device notice is printed once per process
std::atomic<int64_t> LastMixAt;       // steady-clock ticks when the last block was mixed

// Stands in for a device: mixes one device buffer per buffer period against
// absolute deadlines from `origin`, so positions follow the clock without
// drifting.
void SilentOutput(SteadyClock::time_point origin, int rate) {
  int64_t handed = 0;
  while (!SilentQuit.load(std::memory_order_acquire)) {
    handed += SoundDeviceFrames;
    std::this_thread::sleep_until(origin + std::chrono::nanoseconds(handed * 1000000000LL / rate));
    SoundMix(nullptr, SoundDeviceFrames);
  }
}

bool StartSilentOutput(SteadyClock::time_point origin, int rate) {
  SilentQuit.store(false);
  return CommonThreadStart(SilentThread, SilentOutput, origin, rate);
}

}  // namespace

bool SoundOutputsStart(int rate) {
  DeviceOpen = SoundOutputOpen(rate);
  if (DeviceOpen) {
    return true;
  }
  if (!StartSilentOutput(SteadyClock::now(), rate)) {
    std::fprintf(stderr, "fmod.dll: no audio device (%s) and no thread for a silent output\n", SoundOutputError());
    return false;
  }
  if (!SilentNoticeGiven.exchange(true)) {
    std::fprintf(stderr, "fmod.dll: no audio device (%s); playing to a silent output\n", SoundOutputError());
  }
  return true;
}

void SoundOutputsStop() {
  if (DeviceOpen) {
    SoundOutputClose();  // returns once the output has stopped mixing
    DeviceOpen = false;
  }
  if (SilentThread.joinable()) {
    SilentQuit.store(true, std::memory_order_release);
    SilentThread.join();
  }
}

void SoundOutputsNoteMix() {
  LastMixAt.store(SteadyClock::now().time_since_epoch().count(), std::memory_order_relaxed);
}

void SoundOutputCheck() {
  if (!DeviceOpen || !SoundOutputLost()) {
    return;
  }
  SoundOutputClose();  // returns once the device no longer mixes
  DeviceOpen = false;
  int64_t last = LastMixAt.load(std::memory_order_relaxed);
  // Without a thread for it the positions stand still, as they would with
  // the device gone and nothing in its place.
  if (StartSilentOutput(last != 0 ? SteadyClock::time_point(SteadyClock::duration(last)) : SteadyClock::now(),
                        SoundMixRate())) {
    std::fprintf(stderr, "fmod.dll: the audio device went away; playing on to a silent output\n");
  } else {
    std::fprintf(stderr, "fmod.dll: the audio device went away and no thread is left for a silent output\n");
  }
}
