// The program's own file on Windows: opened for random access, read by
// seeking from its end.
#include "platform/plat_file.h"

#include <windows.h>

PlatFile PlatFileOpen(const char* name) {
  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return PlatFileInvalid;
  }
  return reinterpret_cast<PlatFile>(file);
}

int64_t PlatFileSeekFromEnd(PlatFile file, int32_t distance) {
  // No high part: the program file is far below 4 GiB, so the low part of
  // the new position is all of it. A position before the start fails.
  DWORD at = SetFilePointer(reinterpret_cast<HANDLE>(file), distance, nullptr, FILE_END);
  if (at == INVALID_SET_FILE_POINTER) {
    return -1;
  }
  return static_cast<int64_t>(at);
}

uint32_t PlatFileRead(PlatFile file, void* destination, uint32_t count) {
  DWORD transferred = 0;
  ReadFile(reinterpret_cast<HANDLE>(file), destination, count, &transferred, nullptr);
  return transferred;
}

void PlatFileClose(PlatFile file) {
  if (file != PlatFileInvalid) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
  }
}
