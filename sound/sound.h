// The music: the sound library bound at run time, loading, playback, position.
#pragma once
#include <cstdint>

constexpr uint32_t SoundTypeMpeg = 0x4D504547;  // 'MPEG': sample family

// False after recording SystemError 6. Any tag but SoundTypeMpeg binds the
// module family (songs) in place of the samples; that family completes the
// binding's interface: this program opens the sample family only, the
// tests open both.
bool SoundOpen(uint32_t typeTag, uintptr_t window);
// False after recording SystemError 6.
bool SoundLoadMemory(const void* data, uint32_t length);
// False after recording SystemError 8. It completes the service layer's
// interface: nothing in this program calls it; the tests do.
bool SoundLoadFile(const char* fileName);
void SoundPlay();
void SoundStop();
uint32_t SoundPosition();
void SoundClose();
