// The module family on Windows: Windows carries no tracker-module player,
// and the library ships no decoder of its own, so every module is refused.
// The presentation plays MPEG audio only.
#include "soundlib/core.h"

void SoundModulesMix(int32_t* sum, int frames) {}

void SoundModulesFree() {}

// No song loads: null, as for a file the player cannot read.
extern "C" void* QZ_SOUNDAPI FMUSIC_LoadSong(const char* name) { return nullptr; }

extern "C" void* QZ_SOUNDAPI FMUSIC_LoadSongMemory(const void* data, int length) { return nullptr; }

// No song can be playing: each call names an unknown song.
extern "C" int QZ_SOUNDAPI FMUSIC_PlaySong(void* song) { return 0; }

extern "C" int QZ_SOUNDAPI FMUSIC_StopSong(void* song) { return 0; }

extern "C" int QZ_SOUNDAPI FMUSIC_GetOrder(void* song) { return 0; }

extern "C" int QZ_SOUNDAPI FMUSIC_GetRow(void* song) { return 0; }
