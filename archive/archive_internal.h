// What the coded-item decoder needs from the directory reader: the item
// table entry, positioning at an item and reads of the open file.
#pragma once
#include <cstdint>

struct ArchiveItemSlot {
  int32_t distanceFromEnd;  // item offset - archive length: negative
  uint32_t storedSize;      // stored bytes of the item
};

// The table entry of item `index` (1-based) of the open archive, or null for
// an index of 0, above the item count, or when no directory is loaded.
const ArchiveItemSlot* ArchiveItemAt(uint32_t index);

// Moves the file position to the item's first stored byte.
bool ArchiveSeekItem(const ArchiveItemSlot* slot);

// Reads up to `count` bytes at the file position; returns the bytes read.
uint32_t ArchiveReadBytes(void* destination, uint32_t count);
