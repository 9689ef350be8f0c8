// Helpers shared by the verbs of qzpack.
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

#include "archive/archive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int Fail(const std::string& message) {
  std::fprintf(stderr, "qzpack: %s\n", message.c_str());
  return 1;
}

int FailUsage(const char* verb) { return Fail(std::string("usage: qzpack ") + VerbUsage(verb)); }

bool ParseIndex(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) {
    return false;
  }
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) {
    return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

bool OpenArchiveOrFail(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    Fail("cannot open " + path + ": " + std::strerror(errno));
    return false;
  }
  std::fclose(f);
  if (!ArchiveOpen(path.c_str())) {
    ArchiveClose();
    Fail(path + ": no archive, or its directory is corrupt");
    return false;
  }
  return true;
}

bool CodedOutputLength(const uint8_t* header, uint64_t storedSize, uint32_t* length) {
  if (storedSize < CodedItemMinimum) {
    return false;
  }
  const uint32_t n = static_cast<uint32_t>(header[0]) | static_cast<uint32_t>(header[1]) << 8 |
                     static_cast<uint32_t>(header[2]) << 16 | static_cast<uint32_t>(header[3]) << 24;
  if (n == 0 || n > storedSize * 8) {
    return false;
  }
  *length = n;
  return true;
}
