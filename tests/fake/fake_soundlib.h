// A stand-in sound library for unit tests: fifteen entry points registered
// under "fmod.dll" with the fake library role. Every call is recorded in the
// call log under its plain name ("FSOUND_PlaySound", ...), allocating
// nothing, and answers as the test scripted.
#pragma once
#include <cstdint>

// Makes "fmod.dll" loadable; `omit` names one entry left out (plain
// spelling, "FSOUND_SetPriority"), null for the complete library.
void FakeSoundLibInstall(const char* omit = nullptr);

// FSOUND_Init's result (1 at reset).
void FakeSoundLibSetInitResult(int result);
// When set, the music loads return a null handle.
void FakeSoundLibRefuseMusic(bool refuse);

// The channel FSOUND_PlaySound gives (5 at reset).
constexpr int FakeSoundChannel = 5;

// What FSOUND_GetCurrentPosition reports: the value set here, or when a
// hook is set, what the hook returns (the simulated-time harness advances
// its clock there, once per sequencer step).
void FakeSoundLibSetPosition(uint32_t position);
void FakeSoundLibSetPositionHook(uint32_t (*hook)(int channel));
// Called at every FSOUND_StopSound before it is recorded.
void FakeSoundLibSetStopHook(void (*hook)());

// Playback as the library sees it: started by FSOUND_PlaySound, ended by
// FSOUND_StopSound for the playing channel.
bool FakeSoundLibPlaying();

// The music handed to FSOUND_Sample_LoadMpegMemory, and its length.
const uint8_t* FakeSoundLibMusic();
uint32_t FakeSoundLibMusicLength();
