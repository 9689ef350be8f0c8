// qzpack: makes and inspects the archive behind the program image.
// Each verb lives in a file of its own; this table names them.
#include "base/version.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

struct Verb {
  const char* name;
  const char* usage;  // arguments, as the help shows them
  const char* help;   // one line
  int (*run)(const VerbArgs& args);
};

const Verb Verbs[] = {
    {"encode", "encode IN OUT", "Huffman-code the file IN as one item into OUT", VerbEncode},
    {"decode", "decode IN OUT", "decode the coded item IN into OUT", VerbDecode},
    {"build", "build --image PROGRAM --out FILE ITEM...",
     "write PROGRAM, zero padding, then an archive of the ITEMs (at most 32), each coded", VerbBuild},
    {"list", "list FILE", "one line per item: index, name, offset, stored size, decoded size", VerbList},
    {"extract", "extract FILE INDEX OUT [--raw]", "write item INDEX (1-based) decoded, or its stored bytes", VerbExtract},
    {"picture", "picture IN.png PALETTE_OUT PIXELS_OUT [--dither]",
     "a PNG into a Palette item and an IndexedPicture item (true colour reduced to 256 colours)", VerbPicture},
    {"preview", "preview PALETTE PIXELS WIDTH OUT.png", "a Palette item and its pixels back into a PNG", VerbPreview},
};

void PrintHelp() {
  std::printf("usage: qzpack VERB ARGUMENTS...    (or --help, --version)\n\n");
  for (const Verb& v : Verbs) {
    std::printf("  qzpack %s\n      %s\n", v.usage, v.help);
  }
  std::printf("\nErrors are reported as one line on stderr with exit status 1.\n");
}

}  // namespace

const char* VerbUsage(const char* verb) {
  for (const Verb& v : Verbs) {
    if (std::strcmp(v.name, verb) == 0) {
      return v.usage;
    }
  }
  return verb;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    return Fail("no verb given (try qzpack --help)");
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0) {
    PrintHelp();
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("qzpack %s\n", QZ_VERSION);
    return 0;
  }
  for (const Verb& v : Verbs) {
    if (std::strcmp(v.name, argv[1]) == 0) {
      try {
        return v.run(VerbArgs(argv + 2, argv + argc));
      } catch (const std::exception& e) {
        return Fail(std::string(v.name) + ": " + e.what());
      }
    }
  }
  return Fail(std::string("unknown verb '") + argv[1] + "' (try qzpack --help)");
}
