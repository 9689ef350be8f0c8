// The asset archive behind the program image: its item directory, raw item
// reads and the Huffman-coded item decoder.
#pragma once
#include <cstdint>

constexpr uint32_t ArchiveItemRoom = 32;       // items an archive may hold
constexpr uint32_t ArchiveRecordBytes = 72;    // one directory record
constexpr uint32_t ArchiveTrailerBytes = 12;   // item count, directory offset, length
constexpr uint32_t ArchiveNameRoom = 64;       // name field of a directory record
constexpr uint32_t ItemReaderBytes = 1024;     // block size of the coded-item reader
constexpr uint32_t HuffmanNodeRoom = 512;      // nodes of one code tree
constexpr char ArchiveSignature[] = "Orvalund DataFile V2.3\x1A";

// Opens `fileName` and loads the item directory from the end of the file.
// False when the file cannot be opened or its directory is unusable (no
// items, more than ArchiveItemRoom, a trailer, directory or item outside the
// file, a short read); no item may be read then. A file left open by a
// failure is closed by ArchiveClose. An archive still open is closed first.
bool ArchiveOpen(const char* fileName);

// Copies the stored bytes of item `index` (1-based). `length` 0 means the
// whole item; a longer length than the item's reads on into what follows it
// in the file. False, with nothing read, for an index of 0 or above the item
// count and for a length that would run past the end of the file; false too
// when the file delivers fewer bytes than asked for.
bool ArchiveReadRawPart(uint32_t index, void* destination, uint32_t length);
bool ArchiveReadRaw(uint32_t index, void* destination);

void ArchiveClose();

// Stored size of item `index`, 0 when there is no such item. For tools.
uint32_t ArchiveStoredSize(uint32_t index);
// Number of items of the open archive, 0 when none is open.
uint32_t ArchiveItemCount();

// Decodes the coded item `index` into `destination`, which has room for
// `room` bytes. False, with nothing written past `room`, when the item is
// malformed, its output does not fit or the file ends early.
bool ArchiveReadCoded(uint32_t index, void* destination, uint32_t room);

// The same decode from a coded item that lies in memory (`size` bytes).
bool ArchiveDecodeMemory(const void* source, uint32_t size, void* destination, uint32_t room);
