// qzpack decode IN OUT: one coded item decoded by the system's decoder.
#include "archive/archive.h"
#include "tools/packlib/packlib.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

int VerbDecode(const VerbArgs& args) {
  if (args.size() != 2) {
    return FailUsage("decode");
  }
  std::string error;
  std::vector<uint8_t> coded;
  if (!PackReadFile(args[0], coded, error)) {
    return Fail(error);
  }
  uint32_t length = 0;
  if (coded.size() > UINT32_MAX || !CodedOutputLength(coded.data(), coded.size(), &length)) {
    return Fail(args[0] + ": not a coded item");
  }
  std::vector<uint8_t> content(length);
  if (!ArchiveDecodeMemory(coded.data(), static_cast<uint32_t>(coded.size()), content.data(), length)) {
    return Fail(args[0] + ": corrupt coded item");
  }
  if (!PackWriteFile(args[1], content, error)) {
    return Fail(error);
  }
  return 0;
}
