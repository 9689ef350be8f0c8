// fmod.dll's output on Linux: SDL2 audio at the mixing rate with a small
// device buffer, whose callback runs the core's mixer.
#include "soundlib/core.h"

#include <SDL.h>

#include <cstring>

namespace {

constexpr size_t ErrorRoom = 256;

// The output's state. Opened and closed on the caller's thread.
SDL_AudioDeviceID Device = 0;   // 0 while no device is open
bool SdlAudioStarted = false;   // we hold a reference on SDL's audio subsystem
char Error[ErrorRoom] = "";     // why the last open failed, kept past SDL's shutdown

void DeviceCallback(void*, Uint8* stream, int bytes) {
  SoundMix(reinterpret_cast<int16_t*>(stream), bytes / static_cast<int>(sizeof(SoundFrame)));
}

void ReleaseSdlAudio() {
  if (SdlAudioStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SdlAudioStarted = false;
    // Nothing else in the process uses SDL: let it tidy up fully, since this
    // library (and SDL with it) may be unloaded next.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
      SDL_Quit();
    }
  }
}

// Keeps SDL's reason while SDL still holds it.
bool Refused() {
  const char* reason = SDL_GetError();
  size_t length = std::strlen(reason);
  length = length < ErrorRoom - 1 ? length : ErrorRoom - 1;
  std::memcpy(Error, reason, length);
  Error[length] = '\0';
  ReleaseSdlAudio();
  return false;
}

}  // namespace

bool SoundOutputOpen(int rate) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return Refused();
  }
  SdlAudioStarted = true;
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = SoundOutputChannels;
  want.samples = SoundDeviceFrames;
  want.callback = DeviceCallback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts if the hardware differs, so the mixer
  // always renders this exact format.
  Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (Device == 0) {
    return Refused();
  }
  SDL_PauseAudioDevice(Device, 0);
  return true;
}

void SoundOutputClose() {
  if (Device != 0) {
    SDL_CloseAudioDevice(Device);  // returns once the callback has finished
    Device = 0;
  }
  ReleaseSdlAudio();
}

const char* SoundOutputError() { return Error; }

// SDL marks a device it lost (its sound server gone, the card removed) as
// stopped and stops calling back.
bool SoundOutputLost() { return Device != 0 && SDL_GetAudioDeviceStatus(Device) == SDL_AUDIO_STOPPED; }
