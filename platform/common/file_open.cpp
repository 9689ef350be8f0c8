// Opening the program's own file on Linux. The reads, seeks and closes on
// the descriptor are in file.cpp, which the virtual platform shares.
#include "platform/plat_file.h"

#include <fcntl.h>

PlatFile PlatFileOpen(const char* name) {
  int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return PlatFileInvalid;
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
  return fd;
}
