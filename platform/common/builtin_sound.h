// What the built-in stand-ins for the sound library (virtual, web) share:
// the entry points they offer but never use, and their exports by plain
// name.
#pragma once
#include "base/sound_entries.h"

#include <cstddef>

// The module family refuses every song; the rest accept and do nothing.
// A stand-in takes these with `using namespace CommonSoundUnused;` beside
// its own routines, so the export table finds every slot by name.
namespace CommonSoundUnused {
int NoSong(void* song);
inline constexpr auto PlaySong = NoSong;
inline constexpr auto StopSong = NoSong;
inline constexpr auto GetOrder = NoSong;
inline constexpr auto GetRow = NoSong;
void* LoadSong(const char* name);
void* LoadSongMemory(const void* data, int length);
int SetHwnd(void* window);
int SetPriority(int a, int b);
void* LoadMpeg(int index, const char* name, unsigned mode);
}  // namespace CommonSoundUnused

struct CommonExport {
  const char* name;
  void* address;
};

// One row of a table of the fifteen entry points, by plain name; a routine
// whose signature differs from the table's does not compile.
#define QZ_COMMON_SOUND_EXPORT(slot, name, bytes, result, parameters) \
  CommonExport{#name, reinterpret_cast<void*>(static_cast<result(*) parameters>(slot))},

// The address `plainName` has among the `count` exports, null for none.
void* CommonFindExport(const CommonExport* exports, size_t count, const char* plainName);
