// The music: the sound library bound at run time, loading, playback, position.
#pragma once
#include <cstdint>

constexpr uint32_t SoundTypeMpeg = 0x4D504547;  // 'MPEG': sample family

// False after recording SystemError 6.
bool SoundOpen(uint32_t typeTag, uintptr_t window);
// False after recording SystemError 6.
bool SoundLoadMemory(const void* data, uint32_t length);
// False after recording SystemError 8.
bool SoundLoadFile(const char* fileName);
void SoundPlay();
void SoundStop();
uint32_t SoundPosition();
void SoundClose();
