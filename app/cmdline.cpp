// The command line.
#include "app/cmdline.h"

#include "base/frame.h"
#include "platform/plat_system.h"

namespace {

// The rows of the option table, in the order in which they are tested.
struct OptionRow {
  const char* option;
  DisplayRequest request;
};
constexpr OptionRow OptionRows[] = {
    {"/w", {FrameWidth, FrameHeight + FrameWindowCaptionRows, ModeWindow}},
    {"/16", {FrameWidth, FrameHeight, 16}},
    {"/15", {FrameWidth, FrameHeight, 15}},
    {"/24", {FrameWidth, FrameHeight, 24}},
};
constexpr DisplayRequest AutomaticRequest = {FrameWidth, FrameHeight, ModeAutomatic};

}  // namespace

TokenSearch FindToken(uint32_t n) {
  TokenSearch found{0, nullptr};
  const char* p = PlatCommandLine();
  while (*p != '\0') {
    if (*p == ' ') {
      p++;
      continue;
    }
    found.count++;
    if (found.count == n) {
      found.start = p;
    }
    while (*p != '\0' && *p != ' ') {
      p++;
    }
  }
  return found;
}

bool HasOption(const char* option) {
  uint32_t count = FindToken(0).count;
  for (uint32_t i = count; i >= 1; i--) {
    const char* token = FindToken(i).start;
    const char* want = option;
    while (*want != '\0') {
      char have = *token == '-' ? '/' : *token;
      if (*token == '\0' || *token == ' ' || have != *want) {
        break;
      }
      token++;
      want++;
    }
    if (*want == '\0') {
      return true;
    }
  }
  return false;
}

DisplayRequest ChooseDisplayRequest() {
  for (const OptionRow& row : OptionRows) {
    if (HasOption(row.option)) {
      return row.request;
    }
  }
  return AutomaticRequest;
}
