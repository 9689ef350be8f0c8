// Fuzzes the directory reader: the input is a whole program file, opened
// with ArchiveOpen and then read item by item in every way the interface
// allows. The file lives in memory (memfd), reached through its /proc path.
#include "archive/archive.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t CodedRoomLimit = 1 << 20;

int FileDescriptor() {
  static const int fd = memfd_create("qz_fuzz_archive", 0);
  if (fd < 0) {
    std::abort();
  }
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = FileDescriptor();
  if (ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
    std::abort();
  }
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (ArchiveOpen(path)) {
    const uint32_t count = ArchiveItemCount();
    if (count == 0 || count > ArchiveItemRoom) {
      std::abort();
    }
    for (uint32_t k = 0; k <= count + 1; k++) {
      const uint32_t stored = ArchiveStoredSize(k);
      // Every accepted item lies inside the file.
      if (stored > size) {
        std::abort();
      }
      std::vector<uint8_t> raw(stored + 64);
      ArchiveReadRaw(k, raw.data());
      ArchiveReadRawPart(k, raw.data(), 1);
      ArchiveReadRawPart(k, raw.data(), stored + 64);
      uint32_t room = stored > CodedRoomLimit / 8 ? CodedRoomLimit : stored * 8;
      std::vector<uint8_t> decoded(room);
      ArchiveReadCoded(k, decoded.data(), room);
    }
  }
  ArchiveClose();
  return 0;
}
