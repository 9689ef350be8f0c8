// The built-in sound stand-ins' unused entry points and export lookup.
#include "platform/common/builtin_sound.h"

#include <cstring>

namespace CommonSoundUnused {

int NoSong(void* song) { return 0; }
void* LoadSong(const char* name) { return nullptr; }
void* LoadSongMemory(const void* data, int length) { return nullptr; }
int SetHwnd(void* window) { return 1; }
int SetPriority(int a, int b) { return 1; }
void* LoadMpeg(int index, const char* name, unsigned mode) { return nullptr; }

}  // namespace CommonSoundUnused

void* CommonFindExport(const CommonExport* exports, size_t count, const char* plainName) {
  for (size_t i = 0; i < count; i++) {
    if (std::strcmp(exports[i].name, plainName) == 0) {
      return exports[i].address;
    }
  }
  return nullptr;
}
