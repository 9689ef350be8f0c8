// fmod.dll's portable core: the sample family of the entry points, the
// channels and the mixer. Which output the mixer feeds is silent.cpp's.
//
// Samples: MPEG audio decoded on a background thread into fixed-size chunks,
// so a load returns at once and the output thread only reads what the
// decoder has published. Positions are published through atomics, so a
// caller reading one never waits for the output thread.
//
// Every entry point is called from one caller thread; the output thread (the
// device's or the silent one) shares the channel and song tables with it
// under SoundMixLock, which the mixer holds only while it mixes one block.
#include "soundlib/core.h"
#include "platform/common/thread.h"
#include "soundlib/silent.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int ChannelRoom = 32;          // software channels at most
constexpr int SampleRoom = 8;            // loaded MPEG samples at most
constexpr int AnyIndex = -1;             // "pick a free sample slot or channel"
constexpr int MixFrames = 2048;          // largest block mixed at once
constexpr int MinRate = 8000;
constexpr int MaxRate = 192000;
// Decoded audio lives in chunks of 32,768 frames, 2,048 of them: 67 million
// frames, 25 minutes at 44,100 Hz. The fuzz build makes them small, so that
// short inputs cross chunks.
#ifndef QZ_SOUNDLIB_CHUNK_SHIFT
#define QZ_SOUNDLIB_CHUNK_SHIFT 15
#endif
constexpr uint32_t ChunkShift = QZ_SOUNDLIB_CHUNK_SHIFT;
constexpr uint32_t ChunkFrames = 1u << ChunkShift;
constexpr uint32_t ChunkMask = ChunkFrames - 1;
constexpr uint32_t ChunkRoom = 2048;
constexpr long FileRoom = 256L << 20;    // largest MPEG file read
constexpr int FixedShift = 32;           // channel cursors are 32.32 fixed point

// An MPEG sample: decoded by its own thread, chunk by chunk. The decoder
// stores a chunk's pointer before it publishes frames inside it, so the
// mixer may read every frame below `decoded` without a lock.
struct Sample {
  bool used;                       // caller thread: slot holds a sample
  int rate;                        // frames per second of the decoded stream
  SoundDecoder* decoder;           // owned by the decoder thread once it runs
  std::thread worker;              // decodes the rest; joinable while it may run
  SoundFrame* chunk[ChunkRoom];    // decoded audio
  std::atomic<uint32_t> decoded;   // frames published, release by the decoder
  std::atomic<bool> done;          // decoded is final (stream ended or room ran out)
  std::atomic<bool> cancel;        // asks the decoder to stop early
};

// A software channel playing a sample. Guarded by SoundMixLock except `position`.
struct Channel {
  Sample* sample;                  // null while nothing was started here
  bool active;                     // the mixer advances it
  uint64_t cursor;                 // next source frame, 32.32 fixed point
  uint64_t step;                   // source frames per output frame, 32.32
  std::atomic<uint32_t> position;  // source frames handed to the output
};

// --- library state (all zero until FSOUND_Init) --------------------------
bool Initialised;                    // between a successful init and close
int MixRate;                         // output frames per second
int ChannelCount;                    // channels the caller asked for, capped
Sample Samples[SampleRoom];
Channel Channels[ChannelRoom];

// --- mixer scratch, used only by the output thread -------------------------
int32_t MixSum[MixFrames * SoundOutputChannels];

int16_t Clamp16(int32_t v) {
  if (v > INT16_MAX) {
    return INT16_MAX;
  }
  if (v < INT16_MIN) {
    return INT16_MIN;
  }
  return static_cast<int16_t>(v);
}

void MixChannel(Channel& ch, int frames) {
  Sample* s = ch.sample;
  // `done` first: once it reads true, `decoded` below is final.
  bool done = s->done.load(std::memory_order_acquire);
  uint32_t decoded = s->decoded.load(std::memory_order_acquire);
  for (int i = 0; i < frames; i++) {
    uint64_t index = ch.cursor >> FixedShift;
    if (index >= decoded) {
      // Past the end: the channel ends. Not decoded yet: this block stays
      // silent and the position waits, so no sample is skipped.
      ch.active = !done;
      break;
    }
    const SoundFrame& f = s->chunk[index >> ChunkShift][index & ChunkMask];
    MixSum[2 * i] += f.left;
    MixSum[2 * i + 1] += f.right;
    ch.cursor += ch.step;
  }
  uint64_t handed = ch.cursor >> FixedShift;
  ch.position.store(static_cast<uint32_t>(handed < decoded ? handed : decoded), std::memory_order_release);
}

// Renders `frames` output frames (at most MixFrames) into `out`.
void MixBlock(int16_t* out, int frames) {
  std::memset(MixSum, 0, sizeof(int32_t) * frames * SoundOutputChannels);
  {
    std::lock_guard<std::mutex> hold(SoundMixLock);
    for (Channel& ch : Channels) {
      if (ch.active) {
        MixChannel(ch, frames);
      }
    }
    SoundModulesMix(MixSum, frames);
  }
  if (out != nullptr) {
    for (int i = 0; i < frames * SoundOutputChannels; i++) {
      out[i] = Clamp16(MixSum[i]);
    }
  }
}

// --- MPEG decoding --------------------------------------------------------

// Decodes into the chunks until `wantFrames` more are there, the stream
// ends, the room runs out or the sample is cancelled. Returns false once
// nothing more will come.
bool DecodeSome(Sample& s, uint32_t wantFrames) {
  uint32_t decoded = s.decoded.load(std::memory_order_relaxed);
  uint32_t goal = decoded + wantFrames;
  while (decoded < goal && !s.cancel.load(std::memory_order_relaxed)) {
    uint32_t c = decoded >> ChunkShift;
    if (c >= ChunkRoom) {
      return false;
    }
    if (s.chunk[c] == nullptr) {
      s.chunk[c] = static_cast<SoundFrame*>(std::malloc(sizeof(SoundFrame) * ChunkFrames));
      if (s.chunk[c] == nullptr) {
        return false;
      }
    }
    uint32_t room = ChunkFrames - (decoded & ChunkMask);
    bool ended = false;
    uint32_t got = SoundDecoderRead(s.decoder, &s.chunk[c][decoded & ChunkMask], room, &ended);
    if (got > 0 && decoded == 0) {
      s.rate = SoundDecoderRate(s.decoder);
    }
    decoded += got;
    s.decoded.store(decoded, std::memory_order_release);
    if (ended) {
      return false;
    }
  }
  return true;
}

void DecodeRest(Sample* s) {
  while (DecodeSome(*s, ChunkFrames) && !s->cancel.load(std::memory_order_relaxed)) {
  }
  s->done.store(true, std::memory_order_release);
}

void FreeSample(Sample& s) {
  if (s.worker.joinable()) {
    s.cancel.store(true);
    s.worker.join();
  }
  if (s.decoder != nullptr) {
    SoundDecoderClose(s.decoder);
    s.decoder = nullptr;
  }
  for (SoundFrame*& chunk : s.chunk) {
    std::free(chunk);
    chunk = nullptr;
  }
  s.decoded.store(0);
  s.done.store(false);
  s.cancel.store(false);
  s.rate = 0;
  s.used = false;
}

Sample* TakeSample(int index) {
  if (index == AnyIndex) {
    for (Sample& s : Samples) {
      if (!s.used) {
        return &s;
      }
    }
    return nullptr;
  }
  if (index < 0 || index >= SampleRoom || Samples[index].used) {
    return nullptr;
  }
  return &Samples[index];
}

// Decodes the first stretch at once, which also proves the data holds MPEG
// audio, and leaves the rest to a decoder thread.
Sample* LoadMpeg(int index, const void* data, size_t length) {
  if (!Initialised || data == nullptr || length == 0) {
    return nullptr;
  }
  Sample* s = TakeSample(index);
  if (s == nullptr) {
    return nullptr;
  }
  s->decoder = SoundDecoderOpen(data, length);
  if (s->decoder == nullptr) {
    return nullptr;
  }
  s->used = true;
  bool more = DecodeSome(*s, ChunkFrames);
  if (s->decoded.load() == 0 || s->rate <= 0) {
    FreeSample(*s);
    return nullptr;
  }
  if (!more) {
    s->done.store(true, std::memory_order_release);
    return s;
  }
  // Without a thread of its own the rest is decoded here: the load takes
  // longer, but the music is whole.
  if (!CommonThreadStart(s->worker, DecodeRest, s)) {
    DecodeRest(s);
  }
  return s;
}

Channel* ChannelAt(int channel) {
  if (!Initialised || channel < 0 || channel >= ChannelCount) {
    return nullptr;
  }
  return &Channels[channel];
}

}  // namespace

std::mutex SoundMixLock;

void SoundMix(int16_t* out, int frames) {
  SoundOutputsNoteMix();
  while (frames > 0) {
    int n = frames < MixFrames ? frames : MixFrames;
    MixBlock(out, n);
    out = out != nullptr ? out + n * SoundOutputChannels : nullptr;
    frames -= n;
  }
}

int SoundMixRate() { return MixRate; }

bool SoundInitialised() { return Initialised; }

// --- the sample family's entry points and the library's own -----------------

// Opens output at `mixRate` with up to `maxChannels` software channels.
// Returns 1 on success, 0 when the arguments are unusable, the library is
// already initialised or no output can run (not even the silent one, when
// the system refuses it a thread). A missing audio device is not a failure.
extern "C" int QZ_SOUNDAPI FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
  if (Initialised || mixRate < MinRate || mixRate > MaxRate || maxChannels < 1) {
    return 0;
  }
  MixRate = mixRate;
  ChannelCount = maxChannels < ChannelRoom ? maxChannels : ChannelRoom;
  for (Channel& ch : Channels) {
    ch.sample = nullptr;
    ch.active = false;
    ch.position.store(0);
  }
  if (!SoundOutputsStart(mixRate)) {
    return 0;
  }
  Initialised = true;
  return 1;
}

// Stops output, then frees every sample and song. Safe without an init.
extern "C" void QZ_SOUNDAPI FSOUND_Close() {
  SoundOutputsStop();
  for (Channel& ch : Channels) {
    ch.sample = nullptr;
    ch.active = false;
  }
  SoundModulesFree();
  for (Sample& s : Samples) {
    if (s.used) {
      FreeSample(s);
    }
  }
  Initialised = false;
}

// The output needs no window; accepted and ignored.
extern "C" int QZ_SOUNDAPI FSOUND_SetHWND(void* window) { return 1; }

// Every channel mixes at the same priority here; accepted and ignored.
extern "C" int QZ_SOUNDAPI FSOUND_SetPriority(int channel, int priority) { return 1; }

// Loads MPEG audio from memory (copied; the caller may free it after the
// call). `index` is a sample slot or -1 for any free one; `mode` is unused.
// Returns the sample handle, or null when the data holds no MPEG audio.
extern "C" void* QZ_SOUNDAPI FSOUND_Sample_LoadMpegMemory(int index, const void* data, unsigned int mode, int length) {
  if (length <= 0) {
    return nullptr;
  }
  return LoadMpeg(index, data, static_cast<size_t>(length));
}

// As FSOUND_Sample_LoadMpegMemory, from a file.
extern "C" void* QZ_SOUNDAPI FSOUND_Sample_LoadMpeg(int index, const char* name, unsigned int mode) {
  if (!Initialised || name == nullptr) {
    return nullptr;
  }
  FILE* file = std::fopen(name, "rb");
  if (file == nullptr) {
    return nullptr;
  }
  Sample* result = nullptr;
  long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  if (size > 0 && size <= FileRoom && std::fseek(file, 0, SEEK_SET) == 0) {
    void* bytes = std::malloc(static_cast<size_t>(size));
    if (bytes != nullptr && std::fread(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size)) {
      result = LoadMpeg(index, bytes, static_cast<size_t>(size));
    }
    std::free(bytes);
  }
  std::fclose(file);
  return result;
}

// Starts `sample` from its beginning on `channel`, or on the first idle
// channel for -1. Returns the channel number, or -1.
extern "C" int QZ_SOUNDAPI FSOUND_PlaySound(int channel, void* sample) {
  Sample* s = Initialised ? SoundSlotOfHandle(Samples, sample) : nullptr;
  if (s == nullptr) {
    return -1;
  }
  std::lock_guard<std::mutex> hold(SoundMixLock);
  if (channel == AnyIndex) {
    for (int i = 0; i < ChannelCount && channel == AnyIndex; i++) {
      channel = Channels[i].active ? AnyIndex : i;
    }
  }
  Channel* ch = ChannelAt(channel);
  if (ch == nullptr) {
    return -1;
  }
  ch->sample = s;
  ch->cursor = 0;
  ch->step = (static_cast<uint64_t>(s->rate) << FixedShift) / static_cast<uint64_t>(MixRate);
  ch->position.store(0, std::memory_order_release);
  ch->active = true;
  return channel;
}

// Frames of the channel's sample handed to the output since its start; it
// stays where it is once the channel stops or ends. 0 for an unused channel.
extern "C" unsigned int QZ_SOUNDAPI FSOUND_GetCurrentPosition(int channel) {
  SoundOutputCheck();
  Channel* ch = ChannelAt(channel);
  return ch != nullptr ? ch->position.load(std::memory_order_acquire) : 0;
}

// Stops the channel; stopping a stopped channel does nothing.
extern "C" int QZ_SOUNDAPI FSOUND_StopSound(int channel) {
  Channel* ch = ChannelAt(channel);
  if (ch == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(SoundMixLock);
  ch->active = false;
  return 1;
}
