// Export names as callers spell them and as this platform spells them:
// shared by the Linux layer's loader and the virtual platform's.
#pragma once
#include <cstddef>

// "_Name@12" -> "Name"; any other spelling is kept as it is. False when the
// name does not fit in `room` bytes: a shortened name could match some other
// export.
bool LinuxPlainSymbolName(const char* name, char* out, size_t room);
