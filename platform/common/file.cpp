// The program's own file as a plain POSIX descriptor, shared by every
// backend that has them: the open, and the seeks, reads and close on it.
#include "platform/common/file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

__attribute__((weak)) void CommonFileReadDone() {}

PlatFile CommonFileOpen(const char* path) {
  if (path == nullptr) {
    return PlatFileInvalid;
  }
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return PlatFileInvalid;
  }
  // The archive is read by seeks to its items, not straight through.
  posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
  return fd;
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
  CommonFileReadDone();
  return done;
}

void PlatFileClose(PlatFile file) {
  if (file != PlatFileInvalid) {
    close(static_cast<int>(file));
  }
}
