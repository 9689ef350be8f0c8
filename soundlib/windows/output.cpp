// fmod.dll's output on Windows: waveOut, fed by a thread of the library's
// own with a ring of small buffers. Each buffer is mixed when the device
// hands it back, so positions count what was handed to the device. A write
// the device refuses (its driver gone) ends the feeder: the device is lost.
#include "soundlib/core.h"
#include "platform/common/thread.h"

#include <atomic>
#include <thread>
#include <windows.h>
#include <mmsystem.h>

namespace {

constexpr int BufferCount = 4;   // about 93 ms queued at 44,100 Hz
constexpr DWORD WakeMs = 50;     // the feeder looks for a quit at least this often

// The output's state. Opened and closed on the caller's thread; between the
// two only the feeder thread touches the device and its buffers.
HWAVEOUT Device = nullptr;
HANDLE BufferDone = nullptr;     // signalled by the device for each buffer it finishes
std::thread Feeder;
std::atomic<bool> FeederQuit;
std::atomic<bool> Lost;          // the device refused a buffer; the feeder has ended
int16_t Memory[BufferCount][SoundDeviceFrames * SoundOutputChannels];
WAVEHDR Headers[BufferCount];
const char* Error = "";          // why the last open failed

void Feed() {
  while (!FeederQuit.load(std::memory_order_acquire)) {
    for (WAVEHDR& header : Headers) {
      if ((header.dwFlags & WHDR_INQUEUE) != 0) {
        continue;
      }
      SoundMix(reinterpret_cast<int16_t*>(header.lpData), SoundDeviceFrames);
      if (waveOutWrite(Device, &header, sizeof header) != MMSYSERR_NOERROR) {
        Lost.store(true, std::memory_order_release);
        return;
      }
    }
    WaitForSingleObject(BufferDone, WakeMs);
  }
}

void Release() {
  for (WAVEHDR& header : Headers) {
    if ((header.dwFlags & WHDR_PREPARED) != 0) {
      waveOutUnprepareHeader(Device, &header, sizeof header);
    }
  }
  waveOutClose(Device);
  Device = nullptr;
}

}  // namespace

bool SoundOutputOpen(int rate) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = SoundOutputChannels;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  if (BufferDone == nullptr) {
    BufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (BufferDone == nullptr) {
      Error = "no event for the device";
      return false;
    }
  }
  if (waveOutOpen(&Device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(BufferDone), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    Device = nullptr;
    Error = "waveOutOpen refused the output";
    return false;
  }
  for (int i = 0; i < BufferCount; i++) {
    Headers[i] = WAVEHDR{};
    Headers[i].lpData = reinterpret_cast<LPSTR>(Memory[i]);
    Headers[i].dwBufferLength = sizeof Memory[i];
    if (waveOutPrepareHeader(Device, &Headers[i], sizeof Headers[i]) != MMSYSERR_NOERROR) {
      Release();
      Error = "waveOutPrepareHeader failed";
      return false;
    }
  }
  FeederQuit.store(false);
  Lost.store(false);
  if (!CommonThreadStart(Feeder, Feed)) {
    Release();
    Error = "no thread for the feeder";
    return false;
  }
  return true;
}

void SoundOutputClose() {
  if (Device == nullptr) {
    return;
  }
  FeederQuit.store(true, std::memory_order_release);
  SetEvent(BufferDone);
  Feeder.join();
  // Hands back every queued buffer, so each can be unprepared.
  waveOutReset(Device);
  Release();
}

const char* SoundOutputError() { return Error; }

bool SoundOutputLost() { return Lost.load(std::memory_order_acquire); }
