// Services the Linux layer carries inside the program but hands out through
// the library loader, so callers bind them by name as they would a library.
#pragma once

struct LinuxBuiltinModule {
  const char* name;                          // the library name callers ask for
  void* (*symbol)(const char* plainName);    // its exports, by plain name
};

// Null-terminated list, kept in builtin_modules.cpp.
extern const LinuxBuiltinModule LinuxBuiltinModules[];

// Exports of the built-in full-screen display service ("ddraw.dll").
void* LinuxDisplaySymbol(const char* plainName);
