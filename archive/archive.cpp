// The archive behind the program image: the trailer and the item directory
// located from the end of the file, and raw reads of an item's stored bytes.
// The Huffman decoder (decoder.cpp) reads coded items through the same handle
// and item table, reached through archive_internal.h.
#include "archive/archive.h"

#include "archive/archive_internal.h"
#include "platform/plat_file.h"

#include <cstring>

namespace {

struct ArchiveTrailer {
  uint32_t itemCount;        // directory records
  uint32_t directoryOffset;  // first record, from the archive's first byte
  uint32_t archiveLength;    // archive's first byte to the end of the file
};

// Offsets inside a directory record: the name field, then two numbers.
constexpr uint32_t RecordItemOffsetAt = ArchiveNameRoom;
constexpr uint32_t RecordStoredSizeAt = ArchiveNameRoom + 4;

// Positions are signed 32-bit distances from the end of the file, so nothing
// the archive addresses may lie further back than this.
constexpr uint32_t ArchiveLengthLimit = 0x7FFFFFFF;

// The open archive: one file at a time, the copy of its trailer and the
// table of its items. ItemsValid stays 0 unless the last ArchiveOpen accepted
// the whole directory, so no read reaches a table that holds nothing valid.
PlatFile ArchiveFile = PlatFileInvalid;        // the open program file
uint32_t BytesTransferred = 0;                  // count of the latest read
ArchiveTrailer Trailer = {};                    // copy of the last 12 bytes
ArchiveItemSlot ItemTable[ArchiveItemRoom];     // entry k - 1 describes item k
uint8_t RecordBuffer[ArchiveRecordBytes];       // the record being read
uint32_t ItemsValid = 0;                        // items usable in ItemTable

uint32_t Read32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Reads exactly `count` bytes at the file position; false on a short read.
bool ReadExactly(void* destination, uint32_t count) {
  BytesTransferred = PlatFileRead(ArchiveFile, destination, count);
  return BytesTransferred == count;
}

// Loads the trailer and the directory; fills ItemTable. False, with
// ItemsValid left 0, for anything that does not lie inside the file.
bool LoadDirectory() {
  int64_t trailerAt = PlatFileSeekFromEnd(ArchiveFile, -static_cast<int32_t>(ArchiveTrailerBytes));
  if (trailerAt < 0) {
    return false;
  }
  uint8_t raw[ArchiveTrailerBytes];
  if (!ReadExactly(raw, ArchiveTrailerBytes)) {
    return false;
  }
  Trailer.itemCount = Read32(raw);
  Trailer.directoryOffset = Read32(raw + 4);
  Trailer.archiveLength = Read32(raw + 8);
  const int64_t fileSize = trailerAt + ArchiveTrailerBytes;
  const uint64_t length = Trailer.archiveLength;
  if (Trailer.itemCount == 0 || Trailer.itemCount > ArchiveItemRoom) {
    return false;
  }
  if (length > ArchiveLengthLimit || static_cast<int64_t>(length) > fileSize) {
    return false;
  }
  // The directory lies inside the archive and ends at or before the trailer.
  const uint64_t directoryEnd =
      uint64_t{Trailer.directoryOffset} + uint64_t{ArchiveRecordBytes} * Trailer.itemCount;
  if (directoryEnd + ArchiveTrailerBytes > length) {
    return false;
  }
  const int32_t directoryDistance =
      static_cast<int32_t>(static_cast<int64_t>(Trailer.directoryOffset) - static_cast<int64_t>(length));
  if (PlatFileSeekFromEnd(ArchiveFile, directoryDistance) < 0) {
    return false;
  }
  for (uint32_t k = 0; k < Trailer.itemCount; k++) {
    if (!ReadExactly(RecordBuffer, ArchiveRecordBytes)) {
      return false;
    }
    const uint64_t offset = Read32(RecordBuffer + RecordItemOffsetAt);
    const uint32_t storedSize = Read32(RecordBuffer + RecordStoredSizeAt);
    // Item data lies between the archive's first byte and the directory.
    if (offset + storedSize > Trailer.directoryOffset) {
      return false;
    }
    ItemTable[k].distanceFromEnd = static_cast<int32_t>(static_cast<int64_t>(offset) - static_cast<int64_t>(length));
    ItemTable[k].storedSize = storedSize;
  }
  ItemsValid = Trailer.itemCount;
  return true;
}

}  // namespace

bool ArchiveOpen(const char* fileName) {
  // A second open replaces the first: its handle is closed, not leaked.
  ArchiveClose();
  ItemsValid = 0;
  PlatFile file = PlatFileOpen(fileName);
  if (file == PlatFileInvalid) {
    return false;
  }
  ArchiveFile = file;
  // A refused directory leaves the file open; ArchiveClose closes it.
  return LoadDirectory();
}

bool ArchiveReadRawPart(uint32_t index, void* destination, uint32_t length) {
  const ArchiveItemSlot* slot = ArchiveItemAt(index);
  if (slot == nullptr) {
    return false;
  }
  if (length == 0) {
    length = slot->storedSize;
  }
  // A length beyond the item reads on into what follows it in the file, but
  // never past the end of the file.
  if (int64_t{length} > -int64_t{slot->distanceFromEnd}) {
    return false;
  }
  if (!ArchiveSeekItem(slot)) {
    return false;
  }
  return length == 0 || ReadExactly(destination, length);
}

bool ArchiveReadRaw(uint32_t index, void* destination) { return ArchiveReadRawPart(index, destination, 0); }

void ArchiveClose() {
  if (ArchiveFile != PlatFileInvalid) {
    PlatFileClose(ArchiveFile);
    ArchiveFile = PlatFileInvalid;
  }
}

uint32_t ArchiveStoredSize(uint32_t index) {
  const ArchiveItemSlot* slot = ArchiveItemAt(index);
  return slot == nullptr ? 0 : slot->storedSize;
}

uint32_t ArchiveItemCount() { return ArchiveFile == PlatFileInvalid ? 0 : ItemsValid; }

// --- shared with the decoder ---------------------------------------------

const ArchiveItemSlot* ArchiveItemAt(uint32_t index) {
  if (ArchiveFile == PlatFileInvalid || index == 0 || index > ItemsValid) {
    return nullptr;
  }
  return &ItemTable[index - 1];
}

bool ArchiveSeekItem(const ArchiveItemSlot* slot) {
  return PlatFileSeekFromEnd(ArchiveFile, slot->distanceFromEnd) >= 0;
}

uint32_t ArchiveReadBytes(void* destination, uint32_t count) {
  BytesTransferred = PlatFileRead(ArchiveFile, destination, count);
  return BytesTransferred;
}
