// The decorated spelling of a stdcall routine's name, taken off.
#include "platform/common/symbol_name.h"

#include <cstring>

bool CommonPlainSymbolName(const char* name, char* out, size_t room) {
  size_t len = std::strlen(name);
  const char* at = std::strrchr(name, '@');
  bool decorated = len > 2 && name[0] == '_' && at != nullptr && at > name + 1 && at[1] != '\0';
  for (const char* d = at ? at + 1 : name; decorated && *d != '\0'; d++) {
    if (*d < '0' || *d > '9') {
      decorated = false;
    }
  }
  const char* from = decorated ? name + 1 : name;
  size_t keep = decorated ? static_cast<size_t>(at - from) : len;
  if (keep >= room) {
    return false;
  }
  std::memcpy(out, from, keep);
  out[keep] = '\0';
  return true;
}
