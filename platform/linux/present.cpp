// Present timing and placement for the Linux window layer (no SDL here).
#include "platform/linux/present.h"

#include <algorithm>
#include <cstring>

#include <strings.h>

namespace {

constexpr uint64_t NsPerSecond = 1000000000ULL;

}  // namespace

uint64_t LinuxRefreshPeriod(int32_t refreshHz) {
  uint64_t hz = static_cast<uint64_t>(refreshHz > 0 ? refreshHz : FallbackRefreshHz);
  return NsPerSecond / hz;
}

uint64_t LinuxPaceTarget(LinuxPacer* pacer, uint64_t now, uint64_t period) {
  bool resync = pacer->next == 0 || now >= pacer->next + period;
  uint64_t target = resync ? now : std::max(now, pacer->next);
  pacer->next = (resync ? now : pacer->next) + period;
  return target;
}

LinuxPlacement LinuxPlacePicture(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight) {
  if (width <= 0 || height <= 0) {
    return LinuxPlacement{0, 0, 0, 0};
  }
  int32_t factor = std::max(1, std::min(outputWidth / width, outputHeight / height));
  LinuxPlacement p{0, 0, width * factor, height * factor};
  p.x = std::max(0, (outputWidth - p.width) / 2);
  p.y = std::max(0, (outputHeight - p.height) / 2);
  return p;
}

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
