// fmod.dll's module family on Linux: tracker modules played by libxmp,
// rendered inside the core's mixer under SoundMixLock.
#include "soundlib/core.h"

#include <xmp.h>

#include <atomic>

namespace {

constexpr int SongRoom = 4;  // loaded modules at most

// A tracker module. Guarded by SoundMixLock except `order` and `row`.
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

// The songs; the caller thread and the mixer share them as above.
Song Songs[SongRoom];
// Mixer scratch, used only by the output thread.
xmp_frame_info SongInfo;

// Renders the song tick by tick, so that it ends exactly where it would
// start over and the published order and row are those of audio handed out.
void MixSong(Song& song, int32_t* sum, int frames) {
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
      song.pendingFrames = SongInfo.buffer_size / static_cast<int>(sizeof(SoundFrame));
      song.order.store(SongInfo.pos, std::memory_order_release);
      song.row.store(SongInfo.row, std::memory_order_release);
      continue;
    }
    int n = frames - done < song.pendingFrames ? frames - done : song.pendingFrames;
    for (int i = 0; i < n * SoundOutputChannels; i++) {
      sum[done * SoundOutputChannels + i] += song.pending[i];
    }
    song.pending += n * SoundOutputChannels;
    song.pendingFrames -= n;
    done += n;
  }
}

Song* TakeSong() {
  if (!SoundInitialised()) {
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

// Caller holds SoundMixLock.
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

void SoundModulesMix(int32_t* sum, int frames) {
  for (Song& song : Songs) {
    if (song.active) {
      MixSong(song, sum, frames);
    }
  }
}

void SoundModulesFree() {
  for (Song& song : Songs) {
    if (song.used) {
      FreeSong(song);
    }
  }
}

// Loads a tracker module (MOD, S3M, XM, IT, ...) from a file.
extern "C" void* QZ_SOUNDAPI FMUSIC_LoadSong(const char* name) {
  Song* song = name != nullptr ? TakeSong() : nullptr;
  return song != nullptr ? KeepSong(song, xmp_load_module(song->player, name)) : nullptr;
}

// Loads a tracker module from memory (copied).
extern "C" void* QZ_SOUNDAPI FMUSIC_LoadSongMemory(const void* data, int length) {
  Song* song = data != nullptr && length > 0 ? TakeSong() : nullptr;
  return song != nullptr ? KeepSong(song, xmp_load_module_from_memory(song->player, data, length)) : nullptr;
}

// Plays the song once from its first order.
extern "C" int QZ_SOUNDAPI FMUSIC_PlaySong(void* handle) {
  Song* song = SoundSlotOfHandle(Songs, handle);
  if (song == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(SoundMixLock);
  EndSong(*song);
  song->started = xmp_start_player(song->player, SoundMixRate(), 0) == 0;
  song->pending = nullptr;
  song->pendingFrames = 0;
  song->order.store(0);
  song->row.store(0);
  song->active = song->started;
  return song->started ? 1 : 0;
}

// Stops the song; stopping a stopped song does nothing.
extern "C" int QZ_SOUNDAPI FMUSIC_StopSong(void* handle) {
  Song* song = SoundSlotOfHandle(Songs, handle);
  if (song == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(SoundMixLock);
  EndSong(*song);
  return 1;
}

// The order (position in the song's order list) last handed to the output.
extern "C" int QZ_SOUNDAPI FMUSIC_GetOrder(void* handle) {
  SoundOutputCheck();
  Song* song = SoundSlotOfHandle(Songs, handle);
  return song != nullptr ? song->order.load(std::memory_order_acquire) : 0;
}

// The row within the current pattern last handed to the output.
extern "C" int QZ_SOUNDAPI FMUSIC_GetRow(void* handle) {
  Song* song = SoundSlotOfHandle(Songs, handle);
  return song != nullptr ? song->row.load(std::memory_order_acquire) : 0;
}
