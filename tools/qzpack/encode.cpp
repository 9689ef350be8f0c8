// qzpack encode IN OUT: one file Huffman-coded as one item.
#include "tools/packlib/packlib.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

int VerbEncode(const VerbArgs& args) {
  if (args.size() != 2) {
    return FailUsage("encode");
  }
  std::string error;
  std::vector<uint8_t> content;
  std::vector<uint8_t> coded;
  if (!PackReadFile(args[0], content, error) || !PackEncode(content, coded, error) ||
      !PackWriteFile(args[1], coded, error)) {
    return Fail(error);
  }
  return 0;
}
