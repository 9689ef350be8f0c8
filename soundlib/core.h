// The sound library's portable core and what each system supplies to it.
//
// The core (core.cpp) holds the fifteen entry points' sample family: sample
// slots decoded chunk by chunk on a thread of their own, the software
// channels, the mixer and the positions; silent.cpp the silent output that
// stands in for a missing or lost device. A system supplies three pieces:
// an output device that calls SoundMix from its own thread, an MPEG
// decoder, and the module family's player (or one that refuses every
// module).
#pragma once
#include "base/sound_entries.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

// The fifteen entry points as the table gives them, so a definition that
// strays from its row does not compile. The core defines the sample
// family's and the library's own, each system's module file the module
// family's.
#define QZ_SOUNDLIB_DECLARE(slot, name, bytes, result, parameters) extern "C" result QZ_SOUNDAPI name parameters;
QZ_SOUND_ENTRIES(QZ_SOUNDLIB_DECLARE)
#undef QZ_SOUNDLIB_DECLARE

// One decoded stereo frame.
struct SoundFrame {
  int16_t left;
  int16_t right;
};

constexpr int SoundOutputChannels = 2;   // stereo, interleaved
constexpr int SoundDeviceFrames = 1024;  // one device buffer, frames (about 23 ms)

// --- given by the core -------------------------------------------------------

// Called by the output's own thread: renders `frames` frames into `out`
// (interleaved stereo), or mixes and drops them when `out` is null.
void SoundMix(int16_t* out, int frames);

// Called on the caller thread with every position asked for. A device can
// go away mid-run (unplugged, its sound server ended); it then no longer
// asks for audio, or SDL goes on asking at a pace of its own, and every
// position would stop or drift. The lost device is closed and the silent
// output carries on from the last block the device took, so the music
// keeps time. Asking costs one look at the device's state.
void SoundOutputCheck();

// Held by the mixer while it mixes one block; the module player takes it
// around every change of a song that the mixer reads.
extern std::mutex SoundMixLock;

// The slot of `table` in use whose address is `handle`, or null: the
// handles the entry points give out are their slots' addresses.
template <typename Slot, size_t Room>
Slot* SoundSlotOfHandle(Slot (&table)[Room], const void* handle) {
  for (Slot& slot : table) {
    if (&slot == handle && slot.used) {
      return &slot;
    }
  }
  return nullptr;
}

// The output rate while initialised, frames per second.
int SoundMixRate();
bool SoundInitialised();

// --- given by each system: the output device ---------------------------------

// Opens the device at `rate`, 16-bit stereo, and starts calling SoundMix
// with SoundDeviceFrames frames at a time. False when no device can be had;
// SoundOutputError then says why.
bool SoundOutputOpen(int rate);
// Returns once SoundMix is no longer called.
void SoundOutputClose();
const char* SoundOutputError();
// True once the open device has gone for good (unplugged, its sound server
// ended). Asked from the caller thread by SoundOutputCheck.
bool SoundOutputLost();

// --- given by each system: the MPEG decoder -----------------------------------

struct SoundDecoder;

// A decoder over a copy of `data`; null when it cannot start.
SoundDecoder* SoundDecoderOpen(const void* data, size_t length);
// Decodes up to `room` frames into `out` and returns how many it wrote; 0
// with *ended set once the stream is done (or damaged beyond going on).
// The rate is known after the first call that wrote a frame.
uint32_t SoundDecoderRead(SoundDecoder* decoder, SoundFrame* out, uint32_t room, bool* ended);
int SoundDecoderRate(const SoundDecoder* decoder);
void SoundDecoderClose(SoundDecoder* decoder);

// --- given by each system: the module family -----------------------------------

// Called under SoundMixLock by the mixer: adds every playing song's next
// `frames` frames to `sum` (interleaved stereo).
void SoundModulesMix(int32_t* sum, int frames);
// Called by FSOUND_Close: stops and frees every song.
void SoundModulesFree();
