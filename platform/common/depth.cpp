// The colours of a display mode's depth.
#include "platform/common/depth.h"

namespace {

// Shown value of an 8-bit channel kept to `bits` (5 to 8): the top bits,
// spread back over eight bits.
uint8_t Level(uint32_t value, uint32_t bits) {
  if (bits >= 8) {
    return static_cast<uint8_t>(value);
  }
  uint32_t kept = value >> (8 - bits);
  return static_cast<uint8_t>(kept << (8 - bits) | kept >> (2 * bits - 8));
}

}  // namespace

void CommonDepthLevels(uint32_t depth, uint8_t (*levels)[CommonChannelValues]) {
  uint32_t bits[3] = {8, 8, 8};
  if (depth == 16) {
    bits[0] = 5;
    bits[1] = 6;
    bits[2] = 5;
  } else if (depth == 15) {
    bits[0] = bits[1] = bits[2] = 5;
  }
  for (int c = 0; c < 3; c++) {
    for (uint32_t v = 0; v < CommonChannelValues; v++) {
      levels[c][v] = Level(v, bits[c]);
    }
  }
}

bool CommonDepthFullColour(uint32_t depth) { return depth != 16 && depth != 15; }
