// Libraries on the page: nothing can be loaded from files, so the two
// services the program binds by name are built in: the full-screen display
// service ("ddraw.dll") and the sound library ("fmod.dll"). Any other name
// is a library that cannot be loaded.
#include "platform/plat_module.h"
#include "platform/common/symbol_name.h"
#include "platform/web/web.h"

#include <cstring>

namespace {

constexpr size_t NameRoom = 64;

struct BuiltinModule {
  const char* name;                        // the library name callers ask for
  void* (*symbol)(const char* plainName);  // its exports, by plain name
};

// The services, each loaded at most once at a time. Main thread only.
const BuiltinModule Builtins[] = {
    {PlatDisplayLibraryName, WebDisplaySymbol},
    {PlatSoundLibraryName, WebSoundSymbol},
};
constexpr size_t BuiltinCount = sizeof Builtins / sizeof Builtins[0];
bool Loaded[BuiltinCount];   // loaded and not freed; the handle is its address

int IndexOf(PlatModule module) {
  for (size_t i = 0; i < BuiltinCount; i++) {
    if (module == &Loaded[i]) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

PlatModule PlatModuleLoad(const char* name) {
  for (size_t i = 0; name != nullptr && i < BuiltinCount; i++) {
    if (std::strcmp(name, Builtins[i].name) == 0) {
      Loaded[i] = true;
      return &Loaded[i];
    }
  }
  return nullptr;
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  char plain[NameRoom];
  int i = IndexOf(module);
  if (i < 0 || !Loaded[i] || name == nullptr || !CommonPlainSymbolName(name, plain, sizeof plain)) {
    return nullptr;
  }
  return Builtins[i].symbol(plain);
}

void PlatModuleFree(PlatModule module) {
  int i = IndexOf(module);
  if (i >= 0) {
    Loaded[i] = false;
  }
}
