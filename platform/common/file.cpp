// The program's own file, once open: plain POSIX descriptors, shared by every
// backend that has them; each opens the file its own way.
#include "platform/plat_file.h"

#include <cerrno>
#include <unistd.h>

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
