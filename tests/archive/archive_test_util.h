// Building coded items and archive files for the archive's tests.
#pragma once
#include "tools/packlib/packlib.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

inline void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) {
    b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

inline uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A coded item written field by field: header, leaf symbols, inner nodes
// (left, right), then the stream bytes.
inline Bytes CodedItem(uint32_t length, uint32_t last, uint32_t root, const Bytes& leaves,
                       const std::vector<std::pair<uint32_t, uint32_t>>& inner, const Bytes& stream) {
  Bytes b;
  Put32(b, length);
  Put16(b, last);
  Put16(b, root);
  b.insert(b.end(), leaves.begin(), leaves.end());
  for (const auto& [l, r] : inner) {
    Put16(b, l);
    Put16(b, r);
  }
  b.insert(b.end(), stream.begin(), stream.end());
  return b;
}

// The two-leaf tree: leaf 0 is `zero` (a 0 bit), leaf 1 is `one` (a 1 bit).
inline Bytes TwoLeafItem(uint32_t length, uint8_t zero, uint8_t one, const Bytes& stream) {
  return CodedItem(length, 1, 2, {zero, one}, {{0, 1}}, stream);
}

inline Bytes Encoded(const Bytes& content) {
  Bytes coded;
  std::string error;
  if (!PackEncode(content, coded, error)) {
    coded.clear();
  }
  return coded;
}

// A program file: `image`, padding, and an archive of the stored items,
// named "item1.da~", "item2.da~", ...
inline Bytes ArchiveFile(const Bytes& image, const std::vector<Bytes>& stored) {
  std::vector<PackItem> items;
  for (size_t i = 0; i < stored.size(); i++) {
    items.push_back(PackItem{"item" + std::to_string(i + 1) + ".da~", stored[i]});
  }
  Bytes file;
  std::string error;
  if (!PackBuildArchive(image, items, file, error)) {
    file.clear();
  }
  return file;
}

// Deterministic test data.
struct TestRandom {
  uint64_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state >> 16);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
};

// `size` bytes whose values follow a skewed distribution: small values are
// common, large ones rare, as in real content.
inline Bytes SkewedBytes(size_t size, uint64_t seed, uint32_t spread = 40) {
  TestRandom r{seed};
  Bytes b(size);
  for (uint8_t& v : b) {
    uint32_t x = r.Below(spread);
    v = static_cast<uint8_t>(x * x / spread % 256 ^ (r.Below(8) == 0 ? r.Below(256) : 0));
  }
  return b;
}
