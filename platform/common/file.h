// The program's own file as a POSIX descriptor (file.cpp): the open that
// backends call from their PlatFileOpen, beside the shared reads, seeks and
// close of plat_file.h.
#pragma once
#include "platform/plat_file.h"

// Opens `path` for reading; PlatFileInvalid when it cannot be opened.
PlatFile CommonFileOpen(const char* path);

// Called after every read. Does nothing, unless a backend that must hand its
// thread back during long work defines its own (web/system.cpp): the
// content's decode reads its items a block at a time.
void CommonFileReadDone();
