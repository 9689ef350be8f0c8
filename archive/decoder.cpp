// The Huffman item decoder: one code tree per item, stored in front of the
// item's bit stream, decoded from the open archive through a 1,024-byte
// block reader or from a coded item that already lies in memory.
//
// The output is exactly what walking the tree one bit at a time gives. For
// speed the walk is done CodeTableBits at a time: a table built from the tree
// maps the next CodeTableBits bits either to the leaf they end in (with the
// code's length) or to the inner node they lead to, from where the walk goes
// on bit by bit. Every malformed item is refused before anything is read or
// written outside the node table, the reader's buffer, the item or the
// destination.
#include "archive/archive.h"

#include "archive/archive_internal.h"

namespace {

struct HuffmanNode {
  uint32_t count;  // not used by decoding
  uint16_t left;   // left child; NoChild marks a leaf
  uint16_t right;  // right child; in a leaf, the symbol in the low 8 bits
};

struct ItemByteReader {
  uint8_t buffer[ItemReaderBytes];  // the current block of stored bytes
  const uint8_t* data;   // bytes being handed out: buffer, or the item in memory
  uint32_t position;     // next byte to hand out from data
  uint32_t fill;         // valid bytes at data
  uint32_t itemSize;     // stored size of the item being read
  uint32_t fetched;      // stored bytes taken from the file so far
  bool fromFile;         // blocks come from the open archive
  bool shortRead;        // a block read delivered fewer bytes than asked for
};

constexpr uint16_t NoChild = 0xFFFF;
constexpr uint32_t LeafRoom = 256;  // symbols are bytes
constexpr uint32_t CodeTableBits = 11;
constexpr uint32_t CodeTableRoom = 1u << CodeTableBits;
// A code table entry: the inner node reached after CodeTableBits bits, or a
// leaf marked by CodeLeaf with the code's length above its symbol.
constexpr uint16_t CodeLeaf = 0x8000;
constexpr uint32_t CodeLengthShift = 8;
constexpr uint32_t CodeLengthMask = 0xF;
// The bit buffer is topped up whenever it holds fewer bits than this.
constexpr uint32_t RefillBelow = 32;
// A wide load of 8 bytes tops the bit buffer up to at least this many bits,
// enough for FastBurst table codes.
constexpr uint32_t WideLoadBits = 56;
constexpr uint32_t FastBurst = WideLoadBits / CodeTableBits;

// Decoder state: one item at a time, all reset at the start of every decode.
HuffmanNode Nodes[HuffmanNodeRoom];    // the item's code tree
uint32_t OutputLength = 0;             // decoded bytes the item announces
uint32_t LastLeaf = 0;                 // L: leaves are nodes 0 to L
uint32_t Root = 0;                     // N: inner nodes are L + 1 to N
ItemByteReader Reader;                 // source of the item's stored bytes
uint16_t CodeTable[CodeTableRoom];     // next CodeTableBits bits -> leaf or node

bool IsLeaf(uint32_t node) { return Nodes[node].left == NoChild; }

// Reads the next block of the item from the file. False when the item has
// no bytes left or the file delivered fewer than asked for.
bool FetchBlock() {
  if (!Reader.fromFile || Reader.shortRead || Reader.fetched == Reader.itemSize) {
    return false;
  }
  uint32_t n = Reader.itemSize - Reader.fetched;
  if (n > ItemReaderBytes) {
    n = ItemReaderBytes;
  }
  Reader.data = Reader.buffer;
  Reader.position = 0;
  Reader.fill = n;
  Reader.fetched += n;
  if (ArchiveReadBytes(Reader.buffer, n) != n) {
    // What did arrive is not trusted either: the item is refused.
    Reader.shortRead = true;
    Reader.fill = 0;
    return false;
  }
  return true;
}

bool NextByte(uint32_t* value) {
  if (Reader.position == Reader.fill && !FetchBlock()) {
    return false;
  }
  *value = Reader.data[Reader.position++];
  return true;
}

// A little-endian value of `bytes` bytes (at most four).
bool NextValue(uint32_t bytes, uint32_t* value) {
  *value = 0;
  for (uint32_t i = 0; i < bytes; i++) {
    uint32_t byte = 0;
    if (!NextByte(&byte)) {
      return false;
    }
    *value |= byte << (8 * i);
  }
  return true;
}

// Reads the header and the tree into Nodes. False for anything outside the
// format's limits: L above 255, N above 511 or not above L, a child index of
// 512 or more, an output length of 0 or beyond `room`, or too few bytes.
bool LoadTree(uint32_t room) {
  for (HuffmanNode& node : Nodes) {
    node = HuffmanNode{0, NoChild, 0};
  }
  if (!NextValue(4, &OutputLength) || !NextValue(2, &LastLeaf) || !NextValue(2, &Root)) {
    return false;
  }
  if (OutputLength == 0 || OutputLength > room) {
    return false;
  }
  if (LastLeaf >= LeafRoom || Root >= HuffmanNodeRoom || Root <= LastLeaf) {
    return false;
  }
  for (uint32_t k = 0; k <= LastLeaf; k++) {
    uint32_t symbol = 0;
    if (!NextByte(&symbol)) {
      return false;
    }
    Nodes[k].right = static_cast<uint16_t>(symbol);
  }
  for (uint32_t k = LastLeaf + 1; k <= Root; k++) {
    uint32_t left = 0;
    uint32_t right = 0;
    if (!NextValue(2, &left) || !NextValue(2, &right)) {
      return false;
    }
    if (left >= HuffmanNodeRoom || right >= HuffmanNodeRoom) {
      return false;
    }
    Nodes[k].left = static_cast<uint16_t>(left);
    Nodes[k].right = static_cast<uint16_t>(right);
  }
  return true;
}

// Fills the code table entries below inner node `node`, reached by the
// `depth` bits of `prefix`. Recursion is at most CodeTableBits deep; a cycle
// in a corrupt tree just repeats until the depth runs out.
void FillCodeTable(uint32_t node, uint32_t depth, uint32_t prefix) {
  for (uint32_t bit = 0; bit < 2; bit++) {
    const uint32_t child = bit == 0 ? Nodes[node].left : Nodes[node].right;
    const uint32_t childDepth = depth + 1;
    const uint32_t childPrefix = prefix << 1 | bit;
    if (IsLeaf(child)) {
      const uint32_t span = CodeTableRoom >> childDepth;
      const uint16_t entry = static_cast<uint16_t>(CodeLeaf | childDepth << CodeLengthShift | (Nodes[child].right & 0xFF));
      for (uint32_t i = 0; i < span; i++) {
        CodeTable[childPrefix * span + i] = entry;
      }
    } else if (childDepth == CodeTableBits) {
      CodeTable[childPrefix] = static_cast<uint16_t>(child);
    } else {
      FillCodeTable(child, childDepth, childPrefix);
    }
  }
}

// Compilers turn this into one byte-swapping load.
uint64_t LoadBigEndian64(const uint8_t* at) {
  uint64_t v = 0;
  for (uint32_t i = 0; i < sizeof v; i++) {
    v = v << 8 | at[i];
  }
  return v;
}

// Decodes OutputLength symbols from the reader into `out`. False when the
// stream ends (or a block read falls short) before the output is complete.
bool DecodeStream(uint8_t* out) {
  const uint8_t* data = Reader.data;
  uint32_t position = Reader.position;
  uint32_t fill = Reader.fill;
  uint64_t bits = 0;  // the next stream bits, the first at bit 63
  uint32_t held = 0;  // how many of them are valid
  uint32_t remaining = OutputLength;

  // Tops the buffer up to at least WideLoadBits, or to what the item has left.
  // A wide load may set bits below `held`; they are the stream's own next
  // bits, so setting them again later changes nothing.
  auto refill = [&]() {
    if (fill - position >= sizeof(uint64_t)) {
      bits |= LoadBigEndian64(data + position) >> held;
      const uint32_t taken = (63 - held) >> 3;
      position += taken;
      held += taken * 8;
      return;
    }
    while (held <= WideLoadBits) {
      if (position == fill) {
        Reader.position = position;
        if (!FetchBlock()) {
          return;
        }
        data = Reader.data;
        position = Reader.position;
        fill = Reader.fill;
      }
      bits |= static_cast<uint64_t>(data[position++]) << (WideLoadBits - held);
      held += 8;
    }
  };

  while (remaining > 0) {
    // The common case: short codes while the window holds a whole wide load.
    while (remaining >= FastBurst && fill - position >= sizeof(uint64_t)) {
      bits |= LoadBigEndian64(data + position) >> held;
      position += (63 - held) >> 3;
      held |= WideLoadBits;  // held + 8 x the bytes taken
      uint32_t done = 0;
      for (; done < FastBurst; done++) {
        const uint32_t entry = CodeTable[bits >> (64 - CodeTableBits)];
        if ((entry & CodeLeaf) == 0) {
          break;
        }
        const uint32_t length = (entry >> CodeLengthShift) & CodeLengthMask;
        *out++ = static_cast<uint8_t>(entry);
        bits <<= length;
        held -= length;
      }
      remaining -= done;
      if (done < FastBurst) {
        break;
      }
    }
    if (remaining == 0) {
      break;
    }

    // One symbol at a time: near the end of the window or of the output, or
    // a code longer than the table.
    if (held < RefillBelow) {
      refill();
    }
    uint32_t node = Root;
    if (held >= CodeTableBits) {
      const uint32_t entry = CodeTable[bits >> (64 - CodeTableBits)];
      if ((entry & CodeLeaf) != 0) {
        const uint32_t length = (entry >> CodeLengthShift) & CodeLengthMask;
        *out++ = static_cast<uint8_t>(entry);
        bits <<= length;
        held -= length;
        remaining--;
        continue;
      }
      node = entry;
      bits <<= CodeTableBits;
      held -= CodeTableBits;
    }
    // A code longer than the table, or the last bits of the stream.
    for (;;) {
      if (held == 0) {
        refill();
        if (held == 0) {
          return false;
        }
      }
      node = (bits >> 63) != 0 ? Nodes[node].right : Nodes[node].left;
      bits <<= 1;
      held--;
      if (IsLeaf(node)) {
        *out++ = static_cast<uint8_t>(Nodes[node].right);
        remaining--;
        break;
      }
    }
  }
  return true;
}

bool DecodeItem(void* destination, uint32_t room) {
  if (destination == nullptr || !LoadTree(room)) {
    return false;
  }
  FillCodeTable(Root, 0, 0);
  return DecodeStream(static_cast<uint8_t*>(destination)) && !Reader.shortRead;
}

}  // namespace

bool ArchiveReadCoded(uint32_t index, void* destination, uint32_t room) {
  const ArchiveItemSlot* slot = ArchiveItemAt(index);
  if (slot == nullptr || !ArchiveSeekItem(slot)) {
    return false;
  }
  Reader.data = Reader.buffer;
  Reader.itemSize = slot->storedSize;
  Reader.fetched = 0;
  Reader.position = ItemReaderBytes;
  Reader.fill = ItemReaderBytes;
  Reader.fromFile = true;
  Reader.shortRead = false;
  return DecodeItem(destination, room);
}

bool ArchiveDecodeMemory(const void* source, uint32_t size, void* destination, uint32_t room) {
  if (source == nullptr) {
    return false;
  }
  Reader.data = static_cast<const uint8_t*>(source);
  Reader.itemSize = size;
  Reader.fetched = size;
  Reader.position = 0;
  Reader.fill = size;
  Reader.fromFile = false;
  Reader.shortRead = false;
  return DecodeItem(destination, room);
}
