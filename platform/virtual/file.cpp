// The program's own file on the virtual platform: real files, with one name
// that may stand for a file elsewhere (the capture's program file).
#include "platform/plat_file.h"
#include "platform/virtual/virtual.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The one mapped name, and the path it opens; null while none is mapped.
const char* MappedName = nullptr;
const char* MappedPath = nullptr;

}  // namespace

void VirtualMapFile(const char* name, const char* path) {
  MappedName = name;
  MappedPath = path;
}

PlatFile PlatFileOpen(const char* name) {
  if (name == nullptr) {
    return PlatFileInvalid;
  }
  if (MappedName != nullptr && std::strcmp(name, MappedName) == 0) {
    name = MappedPath;
  }
  int fd = open(name, O_RDONLY | O_CLOEXEC);
  return fd < 0 ? PlatFileInvalid : fd;
}

int64_t PlatFileSeekFromEnd(PlatFile file, int32_t distance) {
  off_t at = lseek(static_cast<int>(file), distance, SEEK_END);
  return at < 0 ? -1 : static_cast<int64_t>(at);
}

uint32_t PlatFileRead(PlatFile file, void* destination, uint32_t count) {
  uint32_t done = 0;
  char* out = static_cast<char*>(destination);
  while (done < count) {
    ssize_t got = read(static_cast<int>(file), out + done, count - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    done += static_cast<uint32_t>(got);
  }
  return done;
}

void PlatFileClose(PlatFile file) {
  if (file != PlatFileInvalid) {
    close(static_cast<int>(file));
  }
}
