// The table of registered window classes.
#include "platform/common/window_class.h"

#include <cstring>

int CommonClassFind(const CommonClassTable& table, const char* name) {
  for (int i = 0; name != nullptr && i < CommonClassRoom; i++) {
    if (table.slot[i].used && std::strcmp(table.slot[i].name, name) == 0) {
      return i;
    }
  }
  return -1;
}

int CommonClassRegister(CommonClassTable* table, const char* name, PlatWindowProcedure procedure) {
  if (name == nullptr || std::strlen(name) >= CommonClassNameRoom) {
    return -1;
  }
  int found = CommonClassFind(*table, name);
  for (int i = 0; found < 0 && i < CommonClassRoom; i++) {
    if (!table->slot[i].used) {
      found = i;
    }
  }
  if (found < 0) {
    return -1;
  }
  CommonClass& c = table->slot[found];
  c.used = true;
  std::memcpy(c.name, name, std::strlen(name) + 1);
  c.procedure = procedure;
  return found;
}
