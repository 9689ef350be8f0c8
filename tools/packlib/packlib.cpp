// The Huffman item encoder and the archive writer.
#include "tools/packlib/packlib.h"

#include "archive/archive.h"
#include "content/lib/le_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t SymbolRoom = 256;
constexpr size_t SignatureBytes = sizeof ArchiveSignature - 1;  // text + 0x1A
constexpr uint64_t ArchiveLimit = 0x7FFFFFFF;                   // signed 32-bit distances

struct TreeNode {
  uint64_t weight;
  uint32_t left;
  uint32_t right;
  uint32_t symbol;  // leaves only
};

// Appends bits most significant first, the last byte padded with zeros.
struct BitWriter {
  std::vector<uint8_t>& out;
  uint32_t pending = 0;  // bits waiting, right-aligned
  uint32_t count = 0;    // how many

  void Put(uint64_t code, uint32_t length) {
    for (uint32_t i = length; i > 0; i--) {
      pending = pending << 1 | static_cast<uint32_t>((code >> (i - 1)) & 1);
      if (++count == 8) {
        out.push_back(static_cast<uint8_t>(pending));
        pending = 0;
        count = 0;
      }
    }
  }
  void Finish() {
    if (count > 0) {
      out.push_back(static_cast<uint8_t>(pending << (8 - count)));
      pending = 0;
      count = 0;
    }
  }
};

}  // namespace

bool PackEncode(const std::vector<uint8_t>& content, std::vector<uint8_t>& coded, std::string& error) {
  if (content.empty()) {
    error = "nothing to encode: the content is empty";
    return false;
  }
  if (content.size() > UINT32_MAX) {
    error = "content of 4 GiB or more cannot be coded";
    return false;
  }
  uint64_t counts[SymbolRoom] = {};
  for (uint8_t b : content) {
    counts[b]++;
  }

  // Leaves: the values that occur, by ascending count, ties by value.
  std::vector<TreeNode> nodes;
  for (uint32_t v = 0; v < SymbolRoom; v++) {
    if (counts[v] > 0) {
      nodes.push_back(TreeNode{counts[v], 0, 0, v});
    }
  }
  if (nodes.size() == 1) {
    // A lone value still needs a two-leaf tree: add the lowest absent value.
    const uint32_t absent = nodes[0].symbol == 0 ? 1 : 0;
    nodes.push_back(TreeNode{0, 0, 0, absent});
  }
  std::stable_sort(nodes.begin(), nodes.end(), [](const TreeNode& a, const TreeNode& b) {
    return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
  });
  const uint32_t leafCount = static_cast<uint32_t>(nodes.size());

  // Merge the two lightest nodes until one is left. Leaves and inner nodes
  // each come in ascending weight, so two queues suffice; on a tie the
  // lower-numbered node is taken first, and the first taken goes left.
  uint32_t nextLeaf = 0;
  uint32_t nextInner = leafCount;
  auto take = [&]() {
    if (nextLeaf < leafCount && (nextInner >= nodes.size() || nodes[nextLeaf].weight <= nodes[nextInner].weight)) {
      return nextLeaf++;
    }
    return nextInner++;
  };
  while (nodes.size() < 2 * leafCount - 1) {
    const uint32_t left = take();
    const uint32_t right = take();
    nodes.push_back(TreeNode{nodes[left].weight + nodes[right].weight, left, right, 0});
  }
  const uint32_t root = static_cast<uint32_t>(nodes.size() - 1);

  // Codes from the root down: every child is numbered below its parent.
  std::vector<uint64_t> code(nodes.size(), 0);
  std::vector<uint32_t> length(nodes.size(), 0);
  for (uint32_t k = root; k >= leafCount; k--) {
    if (length[k] >= 64) {
      error = "code tree too deep to encode";
      return false;
    }
    for (uint32_t bit = 0; bit < 2; bit++) {
      const uint32_t child = bit == 0 ? nodes[k].left : nodes[k].right;
      code[child] = code[k] << 1 | bit;
      length[child] = length[k] + 1;
    }
  }
  uint32_t leafOf[SymbolRoom] = {};
  for (uint32_t k = 0; k < leafCount; k++) {
    leafOf[nodes[k].symbol] = k;
  }

  coded.clear();
  BytesPut32(coded, static_cast<uint32_t>(content.size()));
  BytesPut16(coded, leafCount - 1);
  BytesPut16(coded, root);
  for (uint32_t k = 0; k < leafCount; k++) {
    coded.push_back(static_cast<uint8_t>(nodes[k].symbol));
  }
  for (uint32_t k = leafCount; k <= root; k++) {
    BytesPut16(coded, nodes[k].left);
    BytesPut16(coded, nodes[k].right);
  }
  BitWriter writer{coded};
  for (uint8_t b : content) {
    const uint32_t leaf = leafOf[b];
    writer.Put(code[leaf], length[leaf]);
  }
  writer.Finish();
  return true;
}

std::string PackItemName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) {
    name.back() = '~';
  }
  return name;
}

bool PackBuildArchive(const std::vector<uint8_t>& image, const std::vector<PackItem>& items,
                      std::vector<uint8_t>& file, std::string& error) {
  if (items.empty()) {
    error = "an archive needs at least one item";
    return false;
  }
  if (items.size() > ArchiveItemRoom) {
    error = "too many items: " + std::to_string(items.size()) + " (at most " + std::to_string(ArchiveItemRoom) + ")";
    return false;
  }
  uint64_t dataBytes = 0;
  for (const PackItem& item : items) {
    if (item.name.size() >= ArchiveNameRoom) {
      error = "item name too long (at most " + std::to_string(ArchiveNameRoom - 1) + " characters): " + item.name;
      return false;
    }
    dataBytes += item.stored.size();
  }
  const uint64_t directoryOffset = SignatureBytes + dataBytes;
  const uint64_t archiveLength = directoryOffset + uint64_t{ArchiveRecordBytes} * items.size() + ArchiveTrailerBytes;
  if (archiveLength > ArchiveLimit) {
    error = "archive of 2 GiB or more";
    return false;
  }

  file = image;
  file.resize((file.size() + PackImageAlignment - 1) / PackImageAlignment * PackImageAlignment, 0);
  const uint8_t* signature = reinterpret_cast<const uint8_t*>(ArchiveSignature);
  file.insert(file.end(), signature, signature + SignatureBytes);
  for (const PackItem& item : items) {
    file.insert(file.end(), item.stored.begin(), item.stored.end());
  }
  uint64_t offset = SignatureBytes;
  for (const PackItem& item : items) {
    uint8_t name[ArchiveNameRoom] = {};
    name[0] = static_cast<uint8_t>(item.name.size());
    std::memcpy(name + 1, item.name.data(), item.name.size());
    file.insert(file.end(), name, name + ArchiveNameRoom);
    BytesPut32(file, static_cast<uint32_t>(offset));
    BytesPut32(file, static_cast<uint32_t>(item.stored.size()));
    offset += item.stored.size();
  }
  BytesPut32(file, static_cast<uint32_t>(items.size()));
  BytesPut32(file, static_cast<uint32_t>(directoryOffset));
  BytesPut32(file, static_cast<uint32_t>(archiveLength));
  return true;
}

bool PackReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  uint8_t block[1 << 16];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
    bytes.insert(bytes.end(), block, block + got);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool PackWriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}
