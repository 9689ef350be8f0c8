// Which of SDL's renderers a window keeps, decided on what SDL and OpenGL
// report (no SDL here, so the tests run it directly).
#include "platform/linux/renderer_choice.h"

#include <cstring>

#include <strings.h>

namespace {

// Whether `text` contains `word`, ignoring the case of ASCII letters.
bool ContainsWord(const char* text, const char* word) {
  size_t length = std::strlen(word);
  for (const char* at = text; *at != '\0'; at++) {
    if (strncasecmp(at, word, length) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool LinuxUseAcceleratedRenderer(const LinuxRendererProbe& probe) {
  if (!probe.accelerated || !probe.vsync || probe.name == nullptr || probe.glRenderer == nullptr ||
      probe.glRenderer[0] == '\0' || std::strcmp(probe.name, "software") == 0) {
    return false;
  }
  // Mesa's and others' rasterisers on the processor name themselves so.
  const char* software[] = {"llvmpipe", "softpipe", "swrast", "software"};
  for (const char* word : software) {
    if (ContainsWord(probe.glRenderer, word)) {
      return false;
    }
  }
  return true;
}
