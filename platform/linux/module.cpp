// Libraries loaded by name on Linux: built-in services first, then the
// program's own directory, then the dynamic linker's usual search.
#include "platform/plat_module.h"

#include "platform/linux/builtin.h"
#include "platform/common/symbol_name.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

// One record per loaded library; the handle callers hold points at it.
struct LoadedModule {
  bool used;                          // record holds a library
  const LinuxBuiltinModule* builtin;  // built-in service, or null
  void* library;                      // dlopen handle for a file library
};

constexpr int ModuleRoom = 8;
LoadedModule Modules[ModuleRoom];

constexpr size_t NameRoom = 256;

LoadedModule* TakeRecord() {
  for (LoadedModule& m : Modules) {
    if (!m.used) {
      m = LoadedModule{true, nullptr, nullptr};
      return &m;
    }
  }
  return nullptr;
}

// Directory of the running program, with its trailing slash; empty if unknown.
bool ProgramDirectory(char* out, size_t room) {
  ssize_t n = readlink("/proc/self/exe", out, room - 1);
  if (n <= 0) {
    return false;
  }
  out[n] = '\0';
  char* slash = std::strrchr(out, '/');
  if (slash == nullptr) {
    return false;
  }
  slash[1] = '\0';
  return true;
}

}  // namespace

PlatModule PlatModuleLoad(const char* name) {
  if (name == nullptr || *name == '\0') {
    return nullptr;
  }
  for (const LinuxBuiltinModule* b = LinuxBuiltinModules; b->name != nullptr; b++) {
    if (std::strcmp(b->name, name) == 0) {
      LoadedModule* m = TakeRecord();
      if (m != nullptr) {
        m->builtin = b;
      }
      return m;
    }
  }
  void* library = nullptr;
  char path[PATH_MAX];
  size_t nameLength = std::strlen(name);
  if (std::strchr(name, '/') == nullptr && ProgramDirectory(path, sizeof path)) {
    size_t directoryLength = std::strlen(path);
    if (directoryLength + nameLength < sizeof path) {
      std::memcpy(path + directoryLength, name, nameLength + 1);
      if (access(path, F_OK) == 0) {
        library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
      }
    }
  }
  if (library == nullptr) {
    library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  }
  if (library == nullptr) {
    return nullptr;
  }
  LoadedModule* m = TakeRecord();
  if (m == nullptr) {
    dlclose(library);
    return nullptr;
  }
  m->library = library;
  return m;
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  auto* m = static_cast<LoadedModule*>(module);
  if (m == nullptr || !m->used || name == nullptr) {
    return nullptr;
  }
  char plain[NameRoom];
  if (!CommonPlainSymbolName(name, plain, sizeof plain)) {
    return nullptr;
  }
  if (m->builtin != nullptr) {
    return m->builtin->symbol(plain);
  }
  return dlsym(m->library, plain);
}

void PlatModuleFree(PlatModule module) {
  auto* m = static_cast<LoadedModule*>(module);
  if (m == nullptr || !m->used) {
    return;
  }
  if (m->library != nullptr) {
    dlclose(m->library);
  }
  *m = LoadedModule{};
}
