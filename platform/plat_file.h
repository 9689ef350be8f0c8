// Reading the program's own file: open for random access, seek from the end,
// read, close. Used by the archive only.
#pragma once
#include <cstdint>

using PlatFile = intptr_t;
constexpr PlatFile PlatFileInvalid = -1;

// Called by ArchiveOpen.
// Opens an existing file for reading; a bare name is looked up in the current
// directory. Returns PlatFileInvalid when it cannot be opened.
PlatFile PlatFileOpen(const char* name);

// Called by the archive before every read.
// Moves the file position to `distance` bytes from the end (distance <= 0).
// Returns the new position counted from the start of the file, or -1 when it
// would lie before the start (the position is then unchanged).
int64_t PlatFileSeekFromEnd(PlatFile file, int32_t distance);

// Called by the archive and the item reader.
// Reads up to `count` bytes at the file position into `destination` and
// returns the number of bytes transferred (fewer at the end of the file or on
// error; 0 when nothing could be read).
uint32_t PlatFileRead(PlatFile file, void* destination, uint32_t count);

// Called by ArchiveClose.
void PlatFileClose(PlatFile file);
