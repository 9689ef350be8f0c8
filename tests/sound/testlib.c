/* A small sound library for the binding tests, built several times: in full,
   and once without each of the fifteen entry points (QZ_LACK = its slot).
   QZ_IDENTITY tells the copies apart. Every call is logged for the test. */
#include <stdint.h>

#ifndef QZ_LACK
#define QZ_LACK (-1)
#endif

#define EXPORT __attribute__((visibility("default")))

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

#if QZ_LACK != 0
EXPORT int FSOUND_Init(int rate, int channels, unsigned flags) {
  Note(0, rate, channels, flags);
  return InitResult;
}
#endif
#if QZ_LACK != 1
EXPORT void FSOUND_Close(void) { Note(1, 0, 0, 0); }
#endif
#if QZ_LACK != 2
EXPORT int FMUSIC_PlaySong(void* song) {
  Note(2, (intptr_t)song, 0, 0);
  return 1;
}
#endif
#if QZ_LACK != 3
EXPORT int FMUSIC_StopSong(void* song) {
  Note(3, (intptr_t)song, 0, 0);
  return 1;
}
#endif
#if QZ_LACK != 4
EXPORT void* FMUSIC_LoadSong(const char* name) {
  Note(4, (intptr_t)name, 0, 0);
  return Refuse ? 0 : &SongBytes;
}
#endif
#if QZ_LACK != 5
EXPORT void* FMUSIC_LoadSongMemory(const void* data, int length) {
  Note(5, (intptr_t)data, length, 0);
  return Refuse ? 0 : &SongBytes;
}
#endif
#if QZ_LACK != 6
EXPORT int FMUSIC_GetOrder(void* song) {
  Note(6, (intptr_t)song, 0, 0);
  return 3;
}
#endif
#if QZ_LACK != 7
EXPORT int FMUSIC_GetRow(void* song) {
  Note(7, (intptr_t)song, 0, 0);
  return 17;
}
#endif
#if QZ_LACK != 8
EXPORT int FSOUND_SetHWND(void* window) {
  Note(8, (intptr_t)window, 0, 0);
  return 1;
}
#endif
#if QZ_LACK != 9
EXPORT int FSOUND_SetPriority(int a, int b) {
  Note(9, a, b, 0);
  return 1;
}
#endif
#if QZ_LACK != 10
EXPORT void* FSOUND_Sample_LoadMpeg(int index, const char* name, unsigned mode) {
  Note(10, index, (intptr_t)name, mode);
  return Refuse ? 0 : &SampleBytes;
}
#endif
#if QZ_LACK != 11
EXPORT void* FSOUND_Sample_LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  Note(11, index, (intptr_t)data, length);
  return Refuse ? 0 : &SampleBytes;
}
#endif
#if QZ_LACK != 12
EXPORT int FSOUND_PlaySound(int channel, void* sample) {
  Note(12, channel, (intptr_t)sample, 0);
  return 3;
}
#endif
#if QZ_LACK != 13
EXPORT unsigned FSOUND_GetCurrentPosition(int channel) {
  Note(13, channel, 0, 0);
  return channel == 3 ? 4410u : 0u;
}
#endif
#if QZ_LACK != 14
EXPORT int FSOUND_StopSound(int channel) {
  Note(14, channel, 0, 0);
  return 1;
}
#endif
