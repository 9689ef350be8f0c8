// The window classes a backend has registered: a name each, with the
// procedure its windows' messages go to. Slots keep their number for the
// process, so a window may hold its class's slot and the Windows backend
// may give each slot a thunk of its own.
#pragma once
#include "platform/plat_window.h"

#include <cstddef>

constexpr int CommonClassRoom = 4;          // classes registered at once
constexpr size_t CommonClassNameRoom = 64;  // a name's bytes, its end included

struct CommonClass {
  bool used;
  char name[CommonClassNameRoom];
  PlatWindowProcedure procedure;
};

struct CommonClassTable {
  CommonClass slot[CommonClassRoom];
};

// The slot of the class registered as `name`, or -1 (for null too).
int CommonClassFind(const CommonClassTable& table, const char* name);

// Registers `name` with `procedure`: in the slot the name has already, the
// procedure replaced, else in the first free one. -1 for a null name, one
// too long, or a full table.
int CommonClassRegister(CommonClassTable* table, const char* name, PlatWindowProcedure procedure);
