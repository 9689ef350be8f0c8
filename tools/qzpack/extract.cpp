// qzpack extract FILE INDEX OUT [--raw]: one item, decoded by the system's
// decoder or as its stored bytes.
#include "archive/archive.h"
#include "tools/packlib/packlib.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

int VerbExtract(const VerbArgs& args) {
  const bool raw = args.size() == 4 && args[3] == "--raw";
  if (args.size() != 3 && !raw) {
    return FailUsage("extract");
  }
  uint32_t index = 0;
  if (!ParseIndex(args[1], &index)) {
    return Fail("extract: not an item index: " + args[1]);
  }
  if (!OpenArchiveOrFail(args[0])) {
    return 1;
  }
  const uint32_t count = ArchiveItemCount();
  if (index == 0 || index > count) {
    ArchiveClose();
    return Fail("extract: index " + args[1] + " out of range (1 to " + std::to_string(count) + ")");
  }
  const uint32_t stored = ArchiveStoredSize(index);
  std::vector<uint8_t> bytes;
  bool read = false;
  if (raw) {
    bytes.resize(stored);
    read = ArchiveReadRaw(index, bytes.data());
  } else {
    uint8_t header[4] = {};
    uint32_t length = 0;
    if (stored >= CodedItemMinimum && ArchiveReadRawPart(index, header, sizeof header) &&
        CodedOutputLength(header, stored, &length)) {
      bytes.resize(length);
      read = ArchiveReadCoded(index, bytes.data(), length);
    }
  }
  ArchiveClose();
  if (!read) {
    return Fail(args[0] + ": item " + args[1] + (raw ? " cannot be read" : " is corrupt"));
  }
  std::string error;
  if (!PackWriteFile(args[2], bytes, error)) {
    return Fail(error);
  }
  return 0;
}
