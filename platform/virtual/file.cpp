// The program's own file on the virtual platform: real files, with one name
// that may stand for a file elsewhere (the capture's program file). Only the
// mapping is ours; the open and the reads are shared (common/file.h).
#include "platform/common/file.h"
#include "platform/virtual/virtual.h"

#include <cstring>

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
  return CommonFileOpen(name);
}
