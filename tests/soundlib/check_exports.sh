#!/bin/sh
# Lists the dynamic symbols a library defines and compares them with the
# fifteen entry points of the sound library.
set -eu
expected="FMUSIC_GetOrder FMUSIC_GetRow FMUSIC_LoadSong FMUSIC_LoadSongMemory FMUSIC_PlaySong FMUSIC_StopSong FSOUND_Close FSOUND_GetCurrentPosition FSOUND_Init FSOUND_PlaySound FSOUND_Sample_LoadMpeg FSOUND_Sample_LoadMpegMemory FSOUND_SetHWND FSOUND_SetPriority FSOUND_StopSound"
actual=$(nm -D --defined-only --format=just-symbols "$1" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports differ:"
  echo "  expected: $expected"
  echo "  actual:   $actual"
  exit 1
fi
echo "exports: $actual"
