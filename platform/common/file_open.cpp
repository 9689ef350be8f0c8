// Opening the program's own file where its name is its path (Linux, the
// page's in-memory file system); a backend that maps names opens its own way.
#include "platform/common/file.h"

PlatFile PlatFileOpen(const char* name) { return CommonFileOpen(name); }
