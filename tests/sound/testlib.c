/* A small sound library for the binding tests, built several times: in full,
   and once without each of the fifteen entry points (QZ_LACK_<name> defined
   for the one left out). QZ_IDENTITY tells the copies apart. Every call is
   logged for the test under its slot number. */
#include "base/sound_entries.h"

#include <stdint.h>

#define EXPORT __attribute__((visibility("default")))

/* The entry points as the table gives them: a definition below that differs
   in its signature does not compile. */
#define QZ_TESTLIB_DECLARE(slot, name, bytes, result, parameters) EXPORT result name parameters;
QZ_SOUND_ENTRIES(QZ_TESTLIB_DECLARE)
#undef QZ_TESTLIB_DECLARE

enum { LogRoom = 64 };
static int64_t Log[LogRoom][4]; /* call code, then up to three arguments */
static int Logged;
static int InitResult = 1;
static int Refuse;

static void Note(int64_t code, int64_t a, int64_t b, int64_t c) {
  if (Logged < LogRoom) {
    Log[Logged][0] = code;
    Log[Logged][1] = a;
    Log[Logged][2] = b;
    Log[Logged][3] = c;
    Logged++;
  }
}

static char SampleBytes;
static char SongBytes;

EXPORT int TestLibIdentity(void) { return QZ_IDENTITY; }
EXPORT void TestLibReset(void) {
  Logged = 0;
  InitResult = 1;
  Refuse = 0;
}
EXPORT void TestLibSetInitResult(int result) { InitResult = result; }
EXPORT void TestLibSetRefuse(int refuse) { Refuse = refuse; }
EXPORT int TestLibLogged(void) { return Logged; }
/* Entry i of the log: its call code (the slot number) and arguments. */
EXPORT const int64_t* TestLibLogAt(int i) { return Log[i]; }

#ifndef QZ_LACK_FSOUND_Init
EXPORT int FSOUND_Init(int rate, int channels, unsigned flags) {
  Note(SoundSlotInit, rate, channels, flags);
  return InitResult;
}
#endif
#ifndef QZ_LACK_FSOUND_Close
EXPORT void FSOUND_Close(void) { Note(SoundSlotClose, 0, 0, 0); }
#endif
#ifndef QZ_LACK_FMUSIC_PlaySong
EXPORT int FMUSIC_PlaySong(void* song) {
  Note(SoundSlotPlaySong, (intptr_t)song, 0, 0);
  return 1;
}
#endif
#ifndef QZ_LACK_FMUSIC_StopSong
EXPORT int FMUSIC_StopSong(void* song) {
  Note(SoundSlotStopSong, (intptr_t)song, 0, 0);
  return 1;
}
#endif
#ifndef QZ_LACK_FMUSIC_LoadSong
EXPORT void* FMUSIC_LoadSong(const char* name) {
  Note(SoundSlotLoadSong, (intptr_t)name, 0, 0);
  return Refuse ? 0 : &SongBytes;
}
#endif
#ifndef QZ_LACK_FMUSIC_LoadSongMemory
EXPORT void* FMUSIC_LoadSongMemory(const void* data, int length) {
  Note(SoundSlotLoadSongMemory, (intptr_t)data, length, 0);
  return Refuse ? 0 : &SongBytes;
}
#endif
#ifndef QZ_LACK_FMUSIC_GetOrder
EXPORT int FMUSIC_GetOrder(void* song) {
  Note(SoundSlotGetOrder, (intptr_t)song, 0, 0);
  return 3;
}
#endif
#ifndef QZ_LACK_FMUSIC_GetRow
EXPORT int FMUSIC_GetRow(void* song) {
  Note(SoundSlotGetRow, (intptr_t)song, 0, 0);
  return 17;
}
#endif
#ifndef QZ_LACK_FSOUND_SetHWND
EXPORT int FSOUND_SetHWND(void* window) {
  Note(SoundSlotSetHwnd, (intptr_t)window, 0, 0);
  return 1;
}
#endif
#ifndef QZ_LACK_FSOUND_SetPriority
EXPORT int FSOUND_SetPriority(int a, int b) {
  Note(SoundSlotSetPriority, a, b, 0);
  return 1;
}
#endif
#ifndef QZ_LACK_FSOUND_Sample_LoadMpeg
EXPORT void* FSOUND_Sample_LoadMpeg(int index, const char* name, unsigned mode) {
  Note(SoundSlotLoadMpeg, index, (intptr_t)name, mode);
  return Refuse ? 0 : &SampleBytes;
}
#endif
#ifndef QZ_LACK_FSOUND_Sample_LoadMpegMemory
EXPORT void* FSOUND_Sample_LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  Note(SoundSlotLoadMpegMemory, index, (intptr_t)data, length);
  return Refuse ? 0 : &SampleBytes;
}
#endif
#ifndef QZ_LACK_FSOUND_PlaySound
EXPORT int FSOUND_PlaySound(int channel, void* sample) {
  Note(SoundSlotPlaySound, channel, (intptr_t)sample, 0);
  return 3;
}
#endif
#ifndef QZ_LACK_FSOUND_GetCurrentPosition
EXPORT unsigned FSOUND_GetCurrentPosition(int channel) {
  Note(SoundSlotGetCurrentPosition, channel, 0, 0);
  return channel == 3 ? 4410u : 0u;
}
#endif
#ifndef QZ_LACK_FSOUND_StopSound
EXPORT int FSOUND_StopSound(int channel) {
  Note(SoundSlotStopSound, channel, 0, 0);
  return 1;
}
#endif
