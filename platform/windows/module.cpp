// Libraries loaded by name on Windows. Names go to the loader exactly as the
// caller writes them: an export is found under its decorated spelling
// ("_FSOUND_Init@12") when that is how the library spells it.
#include "platform/plat_module.h"

#include "platform/windows/display.h"

#include <cstring>
#include <windows.h>


PlatModule PlatModuleLoad(const char* name) {
  if (name == nullptr || *name == '\0') {
    return nullptr;
  }
  return reinterpret_cast<PlatModule>(LoadLibraryA(name));
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  if (module == nullptr || name == nullptr) {
    return nullptr;
  }
  FARPROC entry = GetProcAddress(reinterpret_cast<HMODULE>(module), name);
  if (entry == nullptr) {
    return nullptr;
  }
  // The display service's real entry takes the system's display record only
  // through an adapter, which the lookup hands out instead.
  if (std::strcmp(name, PlatDisplayCreateName) == 0) {
    return WindowsDisplayAdapter(reinterpret_cast<void*>(entry));
  }
  return reinterpret_cast<void*>(entry);
}

void PlatModuleFree(PlatModule module) {
  if (module != nullptr) {
    FreeLibrary(reinterpret_cast<HMODULE>(module));
  }
}
