// Fuzzes the coded-item decoder from memory and checks it against the plain
// tree walk: same result, same bytes written, nothing beyond the room. The
// first input byte picks the room, the rest is the coded item.
#include "archive/archive.h"
#include "tests/archive/reference_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t RoomLimit = 1 << 16;
constexpr uint8_t Untouched = 0xEE;
constexpr size_t Slack = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) {
    return 0;
  }
  const uint8_t mode = data[0];
  const uint8_t* item = data + 1;
  const uint32_t itemSize = static_cast<uint32_t>(size - 1);
  uint32_t declared = 0;
  if (itemSize >= 4) {
    declared = item[0] | item[1] << 8 | item[2] << 16 | static_cast<uint32_t>(item[3]) << 24;
  }
  // Usually exactly the announced length; sometimes one short or spare.
  uint32_t room = declared < RoomLimit ? declared : RoomLimit;
  if ((mode & 3) == 1 && room > 0) {
    room--;
  } else if ((mode & 3) == 2) {
    room += mode >> 2;
  }
  // Exact-size copies, so any read or write outside them is caught.
  std::vector<uint8_t> source(item, item + itemSize);
  std::vector<uint8_t> fast(room + Slack, Untouched);
  std::vector<uint8_t> plain(room + Slack, Untouched);
  const bool fastOk = ArchiveDecodeMemory(source.data(), itemSize, fast.data(), room);
  const bool plainOk = ReferenceDecode(source.data(), itemSize, plain.data(), room);
  if (fastOk != plainOk || fast != plain) {
    std::abort();
  }
  for (size_t i = room; i < fast.size(); i++) {
    if (fast[i] != Untouched) {
      std::abort();
    }
  }
  return 0;
}
