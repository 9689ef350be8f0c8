/* A small sound library for the binding tests, built several times: in full,
   and once without each of the fifteen entry points. A copy lacking one is
   built with that name defined as TestLibLacking, so its definition below
   is exported under a name nobody looks up. QZ_IDENTITY tells the copies
   apart. Every call is logged for the test under its slot number. */
#include "base/sound_entries.h"

#include <stdint.h>

#define EXPORT __attribute__((visibility("default")))

/* The entry points as the table gives them: a definition below that differs
   in its signature does not compile. */
#define QZ_TESTLIB_DECLARE(slot, name, bytes, result, parameters) EXPORT result QZ_SOUNDAPI name parameters;
QZ_SOUND_ENTRIES(QZ_TESTLIB_DECLARE)
#undef QZ_TESTLIB_DECLARE

enum { LogRoom = 64 };
static int64_t Log[LogRoom][4]; /* call code, then up to three arguments */
static int Logged;
static int InitResult = 1;
static int Refuse;

/* Logs a call and returns `result`. */
static int64_t Note(int64_t code, int64_t a, int64_t b, int64_t c, int64_t result) {
  if (Logged < LogRoom) {
    Log[Logged][0] = code;
    Log[Logged][1] = a;
    Log[Logged][2] = b;
    Log[Logged][3] = c;
    Logged++;
  }
  return result;
}

static char SampleBytes;
static char SongBytes;

/* Logs a load and returns the handle, or null while refusing. */
static void* NoteLoad(int64_t code, int64_t a, int64_t b, int64_t c, void* handle) {
  Note(code, a, b, c, 0);
  return Refuse ? 0 : handle;
}

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

/* The entry points, each with a result of its own the tests recognise. */
EXPORT int QZ_SOUNDAPI FSOUND_Init(int rate, int channels, unsigned flags) {
  return (int)Note(SoundSlotInit, rate, channels, flags, InitResult);
}
EXPORT void QZ_SOUNDAPI FSOUND_Close(void) { Note(SoundSlotClose, 0, 0, 0, 0); }
EXPORT int QZ_SOUNDAPI FMUSIC_PlaySong(void* song) { return (int)Note(SoundSlotPlaySong, (intptr_t)song, 0, 0, 1); }
EXPORT int QZ_SOUNDAPI FMUSIC_StopSong(void* song) { return (int)Note(SoundSlotStopSong, (intptr_t)song, 0, 0, 1); }
EXPORT void* QZ_SOUNDAPI FMUSIC_LoadSong(const char* name) {
  return NoteLoad(SoundSlotLoadSong, (intptr_t)name, 0, 0, &SongBytes);
}
EXPORT void* QZ_SOUNDAPI FMUSIC_LoadSongMemory(const void* data, int length) {
  return NoteLoad(SoundSlotLoadSongMemory, (intptr_t)data, length, 0, &SongBytes);
}
EXPORT int QZ_SOUNDAPI FMUSIC_GetOrder(void* song) { return (int)Note(SoundSlotGetOrder, (intptr_t)song, 0, 0, 3); }
EXPORT int QZ_SOUNDAPI FMUSIC_GetRow(void* song) { return (int)Note(SoundSlotGetRow, (intptr_t)song, 0, 0, 17); }
EXPORT int QZ_SOUNDAPI FSOUND_SetHWND(void* window) { return (int)Note(SoundSlotSetHwnd, (intptr_t)window, 0, 0, 1); }
EXPORT int QZ_SOUNDAPI FSOUND_SetPriority(int a, int b) { return (int)Note(SoundSlotSetPriority, a, b, 0, 1); }
EXPORT void* QZ_SOUNDAPI FSOUND_Sample_LoadMpeg(int index, const char* name, unsigned mode) {
  return NoteLoad(SoundSlotLoadMpeg, index, (intptr_t)name, mode, &SampleBytes);
}
EXPORT void* QZ_SOUNDAPI FSOUND_Sample_LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  return NoteLoad(SoundSlotLoadMpegMemory, index, (intptr_t)data, length, &SampleBytes);
}
EXPORT int QZ_SOUNDAPI FSOUND_PlaySound(int channel, void* sample) {
  return (int)Note(SoundSlotPlaySound, channel, (intptr_t)sample, 0, 3);
}
EXPORT unsigned QZ_SOUNDAPI FSOUND_GetCurrentPosition(int channel) {
  return (unsigned)Note(SoundSlotGetCurrentPosition, channel, 0, 0, channel == 3 ? 4410 : 0);
}
EXPORT int QZ_SOUNDAPI FSOUND_StopSound(int channel) { return (int)Note(SoundSlotStopSound, channel, 0, 0, 1); }
