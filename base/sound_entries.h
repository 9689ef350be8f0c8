/* The sound library's fifteen entry points, in the order the binding looks
   them up: row n fills slot n. X(slot, name, bytes, result, parameters):
   the exported name, the argument bytes its decorated spelling carries
   ("_name@bytes"), and its C signature as this platform's ABI sees it
   (handles pointer-sized, every other value a 32-bit integer), called with
   QZ_SOUNDAPI. The binding,
   our library, its exports map (checked by a test), the virtual platform,
   the fake and the test library all take the list from here, so it stays
   plain C. */
#ifndef QZ_BASE_SOUND_ENTRIES_H
#define QZ_BASE_SOUND_ENTRIES_H

/* The entries' calling convention. On 32-bit x86 Windows the names promise
   stdcall: the callee pops the argument bytes its name gives. Every other
   target has one convention. */
#if defined(_WIN32) && defined(__i386__)
#define QZ_SOUNDAPI __stdcall
#else
#define QZ_SOUNDAPI
#endif

#define QZ_SOUND_ENTRIES(X)                                                                           \
  X(Init, FSOUND_Init, 12, int, (int mixRate, int channels, unsigned flags))                          \
  X(Close, FSOUND_Close, 0, void, (void))                                                             \
  X(PlaySong, FMUSIC_PlaySong, 4, int, (void* song))                                                  \
  X(StopSong, FMUSIC_StopSong, 4, int, (void* song))                                                  \
  X(LoadSong, FMUSIC_LoadSong, 4, void*, (const char* name))                                          \
  X(LoadSongMemory, FMUSIC_LoadSongMemory, 8, void*, (const void* data, int length))                  \
  X(GetOrder, FMUSIC_GetOrder, 4, int, (void* song))                                                  \
  X(GetRow, FMUSIC_GetRow, 4, int, (void* song))                                                      \
  X(SetHwnd, FSOUND_SetHWND, 4, int, (void* window))                                                  \
  X(SetPriority, FSOUND_SetPriority, 8, int, (int channel, int priority))                             \
  X(LoadMpeg, FSOUND_Sample_LoadMpeg, 12, void*, (int index, const char* name, unsigned mode))        \
  X(LoadMpegMemory, FSOUND_Sample_LoadMpegMemory, 16, void*,                                          \
    (int index, const void* data, unsigned mode, int length))                                         \
  X(PlaySound, FSOUND_PlaySound, 8, int, (int channel, void* sample))                                 \
  X(GetCurrentPosition, FSOUND_GetCurrentPosition, 4, unsigned, (int channel))                        \
  X(StopSound, FSOUND_StopSound, 4, int, (int channel))

/* Slot numbers, SoundSlotInit to SoundSlotStopSound, then the count. */
#define QZ_SOUND_SLOT(slot, name, bytes, result, parameters) SoundSlot##slot,
enum SoundSlot { QZ_SOUND_ENTRIES(QZ_SOUND_SLOT) SoundEntryCount };
#undef QZ_SOUND_SLOT

#endif
