// The tree walk exactly as the item format describes it.
#include "tests/archive/reference_decoder.h"

namespace {

struct Node {
  uint16_t left;
  uint16_t right;
};

struct Source {
  const uint8_t* bytes;
  uint32_t size;
  uint32_t position;

  bool Byte(uint32_t* v) {
    if (position == size) {
      return false;
    }
    *v = bytes[position++];
    return true;
  }
  bool Word(uint32_t* v) {
    uint32_t lo = 0;
    uint32_t hi = 0;
    if (!Byte(&lo) || !Byte(&hi)) {
      return false;
    }
    *v = lo | hi << 8;
    return true;
  }
};

}  // namespace

bool ReferenceDecode(const uint8_t* source, uint32_t size, uint8_t* destination, uint32_t room) {
  Node nodes[512];
  for (Node& n : nodes) {
    n = Node{0xFFFF, 0};
  }
  Source in{source, size, 0};
  uint32_t lengthLow = 0;
  uint32_t lengthHigh = 0;
  uint32_t last = 0;
  uint32_t root = 0;
  if (!in.Word(&lengthLow) || !in.Word(&lengthHigh) || !in.Word(&last) || !in.Word(&root)) {
    return false;
  }
  const uint32_t length = lengthLow | lengthHigh << 16;
  if (length == 0 || length > room || last > 255 || root > 511 || root <= last) {
    return false;
  }
  for (uint32_t k = 0; k <= last; k++) {
    uint32_t symbol = 0;
    if (!in.Byte(&symbol)) {
      return false;
    }
    nodes[k].right = static_cast<uint16_t>(symbol);
  }
  for (uint32_t k = last + 1; k <= root; k++) {
    uint32_t left = 0;
    uint32_t right = 0;
    if (!in.Word(&left) || !in.Word(&right) || left > 511 || right > 511) {
      return false;
    }
    nodes[k] = Node{static_cast<uint16_t>(left), static_cast<uint16_t>(right)};
  }
  uint32_t node = root;
  uint32_t remaining = length;
  uint8_t* out = destination;
  for (;;) {
    uint32_t byte = 0;
    if (!in.Byte(&byte)) {
      return false;
    }
    for (int bit = 7; bit >= 0; bit--) {
      node = ((byte >> bit) & 1) != 0 ? nodes[node].right : nodes[node].left;
      if (nodes[node].left == 0xFFFF) {
        *out++ = static_cast<uint8_t>(nodes[node].right);
        node = root;
        if (--remaining == 0) {
          return true;
        }
      }
    }
  }
}
