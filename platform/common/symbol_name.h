// Export names as callers spell them and as the backends' loaders look them
// up, shared by every loader.
#pragma once
#include <cstddef>

// "_Name@12" -> "Name"; any other spelling is kept as it is. False when the
// name does not fit in `room` bytes: a shortened name could match some other
// export.
bool CommonPlainSymbolName(const char* name, char* out, size_t room);
