// fmod.dll: the project's own sound library, loaded by name at run time.
//
// Output: SDL2 audio at the mixing rate with a small device buffer, or, where
// no audio device exists, a silent output thread that consumes audio at the
// same real-time pace. Samples: MPEG audio decoded by libmpg123 on a
// background thread into fixed-size chunks, so a load returns at once and
// the audio thread only reads what the decoder has published. Songs: tracker
// modules played by libxmp. Positions are published through atomics, so a
// caller reading one never waits for the audio thread.
//
// Every entry point is called from one caller thread; the audio thread (SDL's
// callback or the silent output thread) shares the channel and song tables
// with it under MixLock, which the mixer holds only while it mixes one block.

#include <SDL.h>
#include <mpg123.h>
#include <xmp.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <pthread.h>

#include "base/sound_entries.h"

#define SOUNDLIB_EXPORT extern "C" __attribute__((visibility("default")))

// The fifteen entry points as the table gives them: a definition below that
// differs in its signature does not compile.
#define QZ_SOUNDLIB_DECLARE(slot, name, bytes, result, parameters) SOUNDLIB_EXPORT result name parameters;
QZ_SOUND_ENTRIES(QZ_SOUNDLIB_DECLARE)
#undef QZ_SOUNDLIB_DECLARE

namespace {

constexpr int ChannelRoom = 32;          // software channels at most
constexpr int SampleRoom = 8;            // loaded MPEG samples at most
constexpr int SongRoom = 4;              // loaded modules at most
constexpr int AnyIndex = -1;             // "pick a free sample slot or channel"
constexpr int DeviceFrames = 1024;       // device buffer, frames (about 23 ms)
constexpr int MixFrames = 2048;          // largest block mixed at once
constexpr int OutputChannels = 2;        // stereo, interleaved
constexpr int MinRate = 8000;
constexpr int MaxRate = 192000;
constexpr uint32_t ChunkShift = 15;      // decoded audio lives in chunks of 32,768 frames
constexpr uint32_t ChunkFrames = 1u << ChunkShift;
constexpr uint32_t ChunkMask = ChunkFrames - 1;
constexpr uint32_t ChunkRoom = 2048;     // 67 million frames: 25 minutes at 44,100 Hz
constexpr long FileRoom = 256L << 20;    // largest MPEG file read
constexpr int FixedShift = 32;           // channel cursors are 32.32 fixed point
constexpr int64_t NanosPerSecond = 1000000000;

// One decoded stereo frame.
struct Frame {
  int16_t left;
  int16_t right;
};

// An MPEG sample: decoded by its own thread, chunk by chunk. The decoder
// stores a chunk's pointer before it publishes frames inside it, so the
// mixer may read every frame below `decoded` without a lock.
struct Sample {
  bool used;                       // caller thread: slot holds a sample
  int rate;                        // frames per second of the decoded stream
  mpg123_handle* decoder;          // owned by the decoder thread once it runs
  bool workerRunning;              // caller thread: worker must be joined
  pthread_t worker;
  Frame* chunk[ChunkRoom];         // decoded audio
  std::atomic<uint32_t> decoded;   // frames published, release by the decoder
  std::atomic<bool> done;          // decoded is final (stream ended or room ran out)
  std::atomic<bool> cancel;        // asks the decoder to stop early
};

// A software channel playing a sample. Guarded by MixLock except `position`.
struct Channel {
  Sample* sample;                  // null while nothing was started here
  bool active;                     // the mixer advances it
  uint64_t cursor;                 // next source frame, 32.32 fixed point
  uint64_t step;                   // source frames per output frame, 32.32
  std::atomic<uint32_t> position;  // source frames handed to the output
};

// A tracker module. Guarded by MixLock except `order` and `row`.
struct Song {
  bool used;
  xmp_context player;
  bool started;                    // xmp player running (end it on stop)
  bool active;                     // the mixer renders it
  const int16_t* pending;          // rendered tick not yet handed out (xmp's buffer)
  int pendingFrames;
  std::atomic<int> order;          // position published after each block
  std::atomic<int> row;
};

// --- library state (all zero until FSOUND_Init) --------------------------
bool Initialised;                    // between a successful init and close
int MixRate;                         // output frames per second
int ChannelCount;                    // channels the caller asked for, capped
SDL_AudioDeviceID Device;            // SDL output, 0 when silent output runs
bool SdlAudioStarted;                // we hold a reference on SDL's audio subsystem
pthread_t SilentThread;              // silent output, when no device exists
bool SilentRunning;
std::atomic<bool> SilentQuit;
std::atomic<bool> SilentNoticeGiven; // the no-device notice is printed once per process
std::mutex MixLock;                  // channel and song tables vs. the mixer
Sample Samples[SampleRoom];
Channel Channels[ChannelRoom];
Song Songs[SongRoom];

// --- mixer scratch, used only by the audio thread --------------------------
int32_t MixSum[MixFrames * OutputChannels];
xmp_frame_info SongInfo;

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
    const Frame& f = s->chunk[index >> ChunkShift][index & ChunkMask];
    MixSum[2 * i] += f.left;
    MixSum[2 * i + 1] += f.right;
    ch.cursor += ch.step;
  }
  uint64_t handed = ch.cursor >> FixedShift;
  ch.position.store(static_cast<uint32_t>(handed < decoded ? handed : decoded), std::memory_order_release);
}

// Renders the song tick by tick, so that it ends exactly where it would
// start over and the published order and row are those of audio handed out.
void MixSong(Song& song, int frames) {
  int done = 0;
  while (done < frames) {
    if (song.pendingFrames == 0) {
      if (xmp_play_frame(song.player) != 0) {
        song.active = false;
        return;
      }
      xmp_get_frame_info(song.player, &SongInfo);
      if (SongInfo.loop_count > 0) {
        song.active = false;  // played through once
        return;
      }
      song.pending = static_cast<const int16_t*>(SongInfo.buffer);
      song.pendingFrames = SongInfo.buffer_size / static_cast<int>(sizeof(Frame));
      song.order.store(SongInfo.pos, std::memory_order_release);
      song.row.store(SongInfo.row, std::memory_order_release);
      continue;
    }
    int n = frames - done < song.pendingFrames ? frames - done : song.pendingFrames;
    for (int i = 0; i < n * OutputChannels; i++) {
      MixSum[done * OutputChannels + i] += song.pending[i];
    }
    song.pending += n * OutputChannels;
    song.pendingFrames -= n;
    done += n;
  }
}

// Renders `frames` output frames (at most MixFrames) into `out`.
void MixBlock(int16_t* out, int frames) {
  std::memset(MixSum, 0, sizeof(int32_t) * frames * OutputChannels);
  {
    std::lock_guard<std::mutex> hold(MixLock);
    for (Channel& ch : Channels) {
      if (ch.active) {
        MixChannel(ch, frames);
      }
    }
    for (Song& song : Songs) {
      if (song.active) {
        MixSong(song, frames);
      }
    }
  }
  if (out != nullptr) {
    for (int i = 0; i < frames * OutputChannels; i++) {
      out[i] = Clamp16(MixSum[i]);
    }
  }
}

void MixFramesInto(int16_t* out, int frames) {
  while (frames > 0) {
    int n = frames < MixFrames ? frames : MixFrames;
    MixBlock(out, n);
    out = out != nullptr ? out + n * OutputChannels : nullptr;
    frames -= n;
  }
}

void DeviceCallback(void*, Uint8* stream, int bytes) {
  MixFramesInto(reinterpret_cast<int16_t*>(stream), bytes / static_cast<int>(sizeof(Frame)));
}

// Stands in for a device: mixes one device buffer per buffer period against
// absolute deadlines, so positions advance in real time without drifting.
void* SilentOutput(void*) {
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  int64_t origin = start.tv_sec * NanosPerSecond + start.tv_nsec;
  int64_t handed = 0;
  while (!SilentQuit.load(std::memory_order_acquire)) {
    handed += DeviceFrames;
    int64_t deadline = origin + handed * NanosPerSecond / MixRate;
    timespec wake{static_cast<time_t>(deadline / NanosPerSecond), static_cast<long>(deadline % NanosPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
    }
    MixFramesInto(nullptr, DeviceFrames);
  }
  return nullptr;
}

bool OpenDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  SdlAudioStarted = true;
  SDL_AudioSpec want{};
  want.freq = MixRate;
  want.format = AUDIO_S16SYS;
  want.channels = OutputChannels;
  want.samples = DeviceFrames;
  want.callback = DeviceCallback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts if the hardware differs, so the mixer
  // always renders this exact format.
  Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (Device == 0) {
    return false;
  }
  SDL_PauseAudioDevice(Device, 0);
  return true;
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

void NoteMissingDevice() {
  if (!SilentNoticeGiven.exchange(true)) {
    std::fprintf(stderr, "fmod.dll: no audio device (%s); playing to a silent output\n", SDL_GetError());
  }
}

bool StartSilentOutput() {
  SilentQuit.store(false);
  SilentRunning = pthread_create(&SilentThread, nullptr, SilentOutput, nullptr) == 0;
  return SilentRunning;
}

void StopOutput() {
  if (Device != 0) {
    SDL_CloseAudioDevice(Device);  // returns once the callback has finished
    Device = 0;
  }
  ReleaseSdlAudio();
  if (SilentRunning) {
    SilentQuit.store(true, std::memory_order_release);
    pthread_join(SilentThread, nullptr);
    SilentRunning = false;
  }
}

// --- MPEG decoding --------------------------------------------------------

// Decodes into the chunks until the stream ends, the room runs out or the
// sample is cancelled. Returns false only when no room for a chunk is left.
bool DecodeSome(Sample& s, uint32_t wantFrames) {
  uint32_t decoded = s.decoded.load(std::memory_order_relaxed);
  uint32_t goal = decoded + wantFrames;
  while (decoded < goal && !s.cancel.load(std::memory_order_relaxed)) {
    uint32_t c = decoded >> ChunkShift;
    if (c >= ChunkRoom) {
      return false;
    }
    if (s.chunk[c] == nullptr) {
      s.chunk[c] = static_cast<Frame*>(std::malloc(sizeof(Frame) * ChunkFrames));
      if (s.chunk[c] == nullptr) {
        return false;
      }
    }
    uint32_t room = ChunkFrames - (decoded & ChunkMask);
    size_t bytes = 0;
    int rc = mpg123_read(s.decoder, &s.chunk[c][decoded & ChunkMask], room * sizeof(Frame), &bytes);
    decoded += static_cast<uint32_t>(bytes / sizeof(Frame));
    s.decoded.store(decoded, std::memory_order_release);
    if (rc == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(s.decoder, &rate, &channels, &encoding);
      if (decoded == 0) {
        s.rate = static_cast<int>(rate);
      }
      continue;
    }
    if (rc != MPG123_OK) {
      // MPG123_NEED_MORE: all data used. MPG123_ERR: after the last frame,
      // zero bytes behind the stream end in a failed resync. Both end it.
      return false;
    }
  }
  return true;
}

void* DecodeRest(void* arg) {
  auto* s = static_cast<Sample*>(arg);
  while (DecodeSome(*s, ChunkFrames) && !s->cancel.load(std::memory_order_relaxed)) {
  }
  s->done.store(true, std::memory_order_release);
  return nullptr;
}

void FreeSample(Sample& s) {
  if (s.workerRunning) {
    s.cancel.store(true);
    pthread_join(s.worker, nullptr);
    s.workerRunning = false;
  }
  if (s.decoder != nullptr) {
    mpg123_delete(s.decoder);
    s.decoder = nullptr;
  }
  for (Frame*& chunk : s.chunk) {
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
  s->decoder = mpg123_new(nullptr, nullptr);
  if (s->decoder == nullptr) {
    return nullptr;
  }
  s->used = true;
  // Every decoded sample counts, encoder and decoder delay included: no
  // gapless trimming.
  mpg123_param(s->decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_param(s->decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  mpg123_format_none(s->decoder);
  for (size_t i = 0; i < rateCount; i++) {
    mpg123_format(s->decoder, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  bool fed = mpg123_open_feed(s->decoder) == MPG123_OK &&
             mpg123_feed(s->decoder, static_cast<const unsigned char*>(data), length) == MPG123_OK;
  bool more = fed && DecodeSome(*s, ChunkFrames);
  if (!fed || s->decoded.load() == 0 || s->rate <= 0) {
    FreeSample(*s);
    return nullptr;
  }
  if (!more) {
    s->done.store(true, std::memory_order_release);
    return s;
  }
  s->workerRunning = pthread_create(&s->worker, nullptr, DecodeRest, s) == 0;
  if (!s->workerRunning) {
    s->done.store(true, std::memory_order_release);
  }
  return s;
}

Sample* SampleFromHandle(void* handle) {
  for (Sample& s : Samples) {
    if (&s == handle && s.used) {
      return &s;
    }
  }
  return nullptr;
}

Channel* ChannelAt(int channel) {
  if (!Initialised || channel < 0 || channel >= ChannelCount) {
    return nullptr;
  }
  return &Channels[channel];
}

// --- modules --------------------------------------------------------------

Song* TakeSong() {
  if (!Initialised) {
    return nullptr;
  }
  for (Song& song : Songs) {
    if (!song.used) {
      song.player = xmp_create_context();
      return song.player != nullptr ? &song : nullptr;
    }
  }
  return nullptr;
}

Song* KeepSong(Song* song, int loadResult) {
  if (loadResult != 0) {
    xmp_free_context(song->player);
    song->player = nullptr;
    return nullptr;
  }
  song->used = true;
  song->order.store(0);
  song->row.store(0);
  return song;
}

Song* SongFromHandle(void* handle) {
  for (Song& song : Songs) {
    if (&song == handle && song.used) {
      return &song;
    }
  }
  return nullptr;
}

// Caller holds MixLock.
void EndSong(Song& song) {
  song.active = false;
  song.pendingFrames = 0;
  if (song.started) {
    xmp_end_player(song.player);
    song.started = false;
  }
}

void FreeSong(Song& song) {
  EndSong(song);
  xmp_release_module(song.player);
  xmp_free_context(song.player);
  song.player = nullptr;
  song.order.store(0);
  song.row.store(0);
  song.used = false;
}

}  // namespace

// --- the fifteen entry points ---------------------------------------------

// Opens output at `mixRate` with up to `maxChannels` software channels.
// Returns 1 on success, 0 when the arguments are unusable or the library is
// already initialised. A missing audio device is not a failure.
SOUNDLIB_EXPORT int FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
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
  if (!OpenDevice()) {
    NoteMissingDevice();  // while SDL still holds the reason
    ReleaseSdlAudio();
    if (!StartSilentOutput()) {
      return 0;
    }
  }
  Initialised = true;
  return 1;
}

// Stops output, then frees every sample and song. Safe without an init.
SOUNDLIB_EXPORT void FSOUND_Close() {
  StopOutput();
  for (Channel& ch : Channels) {
    ch.sample = nullptr;
    ch.active = false;
  }
  for (Song& song : Songs) {
    if (song.used) {
      FreeSong(song);
    }
  }
  for (Sample& s : Samples) {
    if (s.used) {
      FreeSample(s);
    }
  }
  Initialised = false;
}

// Output needs no window on this platform; accepted and ignored.
SOUNDLIB_EXPORT int FSOUND_SetHWND(void* window) { return 1; }

// Every channel mixes at the same priority here; accepted and ignored.
SOUNDLIB_EXPORT int FSOUND_SetPriority(int channel, int priority) { return 1; }

// Loads MPEG audio from memory (copied; the caller may free it after the
// call). `index` is a sample slot or -1 for any free one; `mode` is unused.
// Returns the sample handle, or null when the data holds no MPEG audio.
SOUNDLIB_EXPORT void* FSOUND_Sample_LoadMpegMemory(int index, const void* data, unsigned int mode, int length) {
  if (length <= 0) {
    return nullptr;
  }
  return LoadMpeg(index, data, static_cast<size_t>(length));
}

// As FSOUND_Sample_LoadMpegMemory, from a file.
SOUNDLIB_EXPORT void* FSOUND_Sample_LoadMpeg(int index, const char* name, unsigned int mode) {
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
SOUNDLIB_EXPORT int FSOUND_PlaySound(int channel, void* sample) {
  Sample* s = Initialised ? SampleFromHandle(sample) : nullptr;
  if (s == nullptr) {
    return -1;
  }
  std::lock_guard<std::mutex> hold(MixLock);
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
SOUNDLIB_EXPORT unsigned int FSOUND_GetCurrentPosition(int channel) {
  Channel* ch = ChannelAt(channel);
  return ch != nullptr ? ch->position.load(std::memory_order_acquire) : 0;
}

// Stops the channel; stopping a stopped channel does nothing.
SOUNDLIB_EXPORT int FSOUND_StopSound(int channel) {
  Channel* ch = ChannelAt(channel);
  if (ch == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(MixLock);
  ch->active = false;
  return 1;
}

// Loads a tracker module (MOD, S3M, XM, IT, ...) from a file.
SOUNDLIB_EXPORT void* FMUSIC_LoadSong(const char* name) {
  Song* song = name != nullptr ? TakeSong() : nullptr;
  return song != nullptr ? KeepSong(song, xmp_load_module(song->player, name)) : nullptr;
}

// Loads a tracker module from memory (copied).
SOUNDLIB_EXPORT void* FMUSIC_LoadSongMemory(const void* data, int length) {
  Song* song = data != nullptr && length > 0 ? TakeSong() : nullptr;
  return song != nullptr ? KeepSong(song, xmp_load_module_from_memory(song->player, data, length)) : nullptr;
}

// Plays the song once from its first order.
SOUNDLIB_EXPORT int FMUSIC_PlaySong(void* handle) {
  Song* song = SongFromHandle(handle);
  if (song == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(MixLock);
  EndSong(*song);
  song->started = xmp_start_player(song->player, MixRate, 0) == 0;
  song->pending = nullptr;
  song->pendingFrames = 0;
  song->order.store(0);
  song->row.store(0);
  song->active = song->started;
  return song->started ? 1 : 0;
}

// Stops the song; stopping a stopped song does nothing.
SOUNDLIB_EXPORT int FMUSIC_StopSong(void* handle) {
  Song* song = SongFromHandle(handle);
  if (song == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(MixLock);
  EndSong(*song);
  return 1;
}

// The order (position in the song's order list) last handed to the output.
SOUNDLIB_EXPORT int FMUSIC_GetOrder(void* handle) {
  Song* song = SongFromHandle(handle);
  return song != nullptr ? song->order.load(std::memory_order_acquire) : 0;
}

// The row within the current pattern last handed to the output.
SOUNDLIB_EXPORT int FMUSIC_GetRow(void* handle) {
  Song* song = SongFromHandle(handle);
  return song != nullptr ? song->row.load(std::memory_order_acquire) : 0;
}
