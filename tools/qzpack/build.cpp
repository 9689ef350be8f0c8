// qzpack build --image PROGRAM --out FILE ITEM...: a program file with the
// archive of the coded items behind its image, read back before success.
#include "archive/archive.h"
#include "tools/packlib/packlib.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

namespace {

// Decodes every item of the written file with the system's own reader and
// compares it with its source.
bool ReadBack(const std::string& path, const std::vector<std::vector<uint8_t>>& contents) {
  if (!OpenArchiveOrFail(path)) {
    return false;
  }
  bool same = ArchiveItemCount() == contents.size();
  for (uint32_t k = 1; same && k <= contents.size(); k++) {
    std::vector<uint8_t> decoded(contents[k - 1].size());
    same = ArchiveReadCoded(k, decoded.data(), static_cast<uint32_t>(decoded.size())) && decoded == contents[k - 1];
  }
  ArchiveClose();
  if (!same) {
    Fail(path + ": written archive does not read back");
  }
  return same;
}

}  // namespace

int VerbBuild(const VerbArgs& args) {
  std::string image;
  std::string out;
  std::vector<std::string> itemPaths;
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--image" || args[i] == "--out") {
      if (i + 1 == args.size()) {
        return FailUsage("build");
      }
      (args[i] == "--image" ? image : out) = args[i + 1];
      i++;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Fail("build: unknown option " + args[i]);
    } else {
      itemPaths.push_back(args[i]);
    }
  }
  if (image.empty() || out.empty() || itemPaths.empty()) {
    return FailUsage("build");
  }
  if (itemPaths.size() > ArchiveItemRoom) {
    return Fail("build: too many items: " + std::to_string(itemPaths.size()) + " (at most " +
                std::to_string(ArchiveItemRoom) + ")");
  }

  std::string error;
  std::vector<uint8_t> program;
  if (!PackReadFile(image, program, error)) {
    return Fail(error);
  }
  std::vector<PackItem> items;
  std::vector<std::vector<uint8_t>> contents;
  for (const std::string& path : itemPaths) {
    std::vector<uint8_t> content;
    PackItem item;
    item.name = PackItemName(path);
    if (!PackReadFile(path, content, error) || !PackEncode(content, item.stored, error)) {
      return Fail(path + ": " + error);
    }
    items.push_back(std::move(item));
    contents.push_back(std::move(content));
  }
  std::vector<uint8_t> file;
  if (!PackBuildArchive(program, items, file, error) || !PackWriteFile(out, file, error)) {
    return Fail(error);
  }
  return ReadBack(out, contents) ? 0 : 1;
}
