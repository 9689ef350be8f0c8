/* Calls each of fmod.dll's entries as a 32-bit program written to its
   decorated names does: the arguments pushed right to left, a call, and
   nothing taken off the stack afterwards, because "_name@bytes" says the
   callee pops them. The stack pointer is read before the pushes and after
   the return; any difference is bytes the entry left behind. Prints one
   line per entry and exits 0 only when every entry was found and popped
   exactly its bytes, and the calls whose results are fixed gave them.
   32-bit x86 only. Usage: qz_stdcall_probe [DLL] (fmod.dll beside it). */
#include "base/sound_entries.h"

#include <stdint.h>
#include <stdio.h>
#include <windows.h>

/* Pushes `words` arguments (args[0] last, so it lands on top), calls
   `entry`, and reports the stack bytes left behind in *left. The stack is
   put back from a callee-saved register, so a wrong callee cannot upset
   the probe itself. */
static uint32_t CallCounting(void* entry, const uint32_t* args, uint32_t words, uint32_t* left) {
  uint32_t result;
  uint32_t behind;
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "1:\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl -4(%%ebx,%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jmp 1b\n"
      "2:\n\t"
      "call *%%edi\n\t"
      "movl %%esi, %%edx\n\t"
      "subl %%esp, %%edx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result), "=d"(behind), "+c"(words)
      : "D"(entry), "b"(args)
      : "esi", "memory", "cc");
  *left = behind;
  return result;
}

/* Arguments per slot, and the result the library promises for the calls
   whose result does not depend on a sound device or data: initialisation
   (rate, channels, flags) succeeds, the window and priority are accepted,
   a missing file or song loads nothing. */
enum { AnyResult = -2 };
static const char NoFile[] = "no such file.mp3";
static const uint8_t NotMusic[16];

struct Call {
  uint32_t args[4];
  int32_t expect;
};

#define QZ_PROBE_NAME(slot, name, bytes, result, parameters) "_" #name "@" #bytes,
#define QZ_PROBE_BYTES(slot, name, bytes, result, parameters) bytes,
static const char* const Names[] = {QZ_SOUND_ENTRIES(QZ_PROBE_NAME)};
static const uint32_t Bytes[] = {QZ_SOUND_ENTRIES(QZ_PROBE_BYTES)};

int main(int argc, char** argv) {
  struct Call calls[SoundEntryCount] = {{{0}, AnyResult}};
  calls[SoundSlotInit] = (struct Call){{44100, 32, 0}, 1};
  calls[SoundSlotSetHwnd] = (struct Call){{0}, 1};
  calls[SoundSlotSetPriority] = (struct Call){{0, 0}, 1};
  calls[SoundSlotLoadSong] = (struct Call){{(uint32_t)(uintptr_t)NoFile}, 0};
  calls[SoundSlotLoadSongMemory] = (struct Call){{(uint32_t)(uintptr_t)NotMusic, sizeof NotMusic}, 0};
  calls[SoundSlotLoadMpeg] = (struct Call){{(uint32_t)-1, (uint32_t)(uintptr_t)NoFile, 0}, 0};
  calls[SoundSlotLoadMpegMemory] =
      (struct Call){{(uint32_t)-1, (uint32_t)(uintptr_t)NotMusic, 0, sizeof NotMusic}, AnyResult};
  /* Close last: the order of the table would close before the rest. */
  static const int order[SoundEntryCount] = {
      SoundSlotInit,     SoundSlotSetHwnd,      SoundSlotSetPriority, SoundSlotLoadSong,
      SoundSlotLoadSongMemory, SoundSlotPlaySong, SoundSlotStopSong,  SoundSlotGetOrder,
      SoundSlotGetRow,   SoundSlotLoadMpeg,     SoundSlotLoadMpegMemory, SoundSlotPlaySound,
      SoundSlotGetCurrentPosition, SoundSlotStopSound, SoundSlotClose};
  HMODULE library = LoadLibraryA(argc > 1 ? argv[1] : "fmod.dll");
  if (library == NULL) {
    printf("no sound library\n");
    return 1;
  }
  int failed = 0;
  for (int i = 0; i < SoundEntryCount; i++) {
    int slot = order[i];
    void* entry = (void*)GetProcAddress(library, Names[slot]);
    if (entry == NULL) {
      printf("%-34s missing\n", Names[slot]);
      failed = 1;
      continue;
    }
    uint32_t left = 0;
    int32_t result = (int32_t)CallCounting(entry, calls[slot].args, Bytes[slot] / 4, &left);
    int wrong = calls[slot].expect != AnyResult && result != calls[slot].expect;
    printf("%-34s pushed %2lu popped %2lu result %ld%s\n", Names[slot], (unsigned long)Bytes[slot],
           (unsigned long)(Bytes[slot] - left), (long)result, wrong ? " (unexpected)" : "");
    if (left != 0 || wrong) {
      failed = 1;
    }
  }
  printf(failed ? "stdcall: FAIL\n" : "stdcall: every entry popped its bytes\n");
  return failed;
}
