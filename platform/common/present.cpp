// Present timing and placement, shared by the backends that pace their own
// presents.
#include "platform/common/present.h"

#include <algorithm>

namespace {

constexpr uint64_t NsPerSecond = 1000000000ULL;
// A wait for the display shorter than this returned at once: a real one
// lasts the rest of a refresh period, which the frame's work (well under a
// millisecond) barely shortens.
constexpr uint64_t AtOnce = 500000;
// A millisecond sleep that ends this much late, this many times in a row,
// runs on a coarse timer: preemption on a loaded machine is rarely so regular.
constexpr uint64_t LateSleep = 3000000;
constexpr int32_t LateSleepRun = 4;

}  // namespace

uint64_t CommonRefreshPeriod(int32_t refreshHz) {
  uint64_t hz = static_cast<uint64_t>(refreshHz > 1 ? refreshHz : CommonFallbackRefreshHz);
  return NsPerSecond / hz;
}

uint64_t CommonPaceTarget(CommonPacer* pacer, uint64_t now, uint64_t period) {
  bool resync = pacer->next == 0 || now >= pacer->next + period;
  uint64_t target = resync ? now : std::max(now, pacer->next);
  pacer->next = (resync ? now : pacer->next) + period;
  return target;
}

uint64_t CommonPaceAfterWait(CommonPacer* pacer, uint64_t before, uint64_t after, uint64_t period) {
  if (after >= before + AtOnce) {
    pacer->next = after + period;
    return 0;
  }
  return CommonPaceTarget(pacer, after, period);
}

void CommonJudgeSleep(CommonSleepJudge* judge, uint64_t asked, uint64_t took) {
  if (took < asked + LateSleep) {
    judge->lateRun = 0;
    return;
  }
  judge->lateRun++;
  if (judge->lateRun >= LateSleepRun) {
    judge->coarse = true;
  }
}

CommonPlacement CommonPlacePicture(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight) {
  if (width <= 0 || height <= 0) {
    return CommonPlacement{0, 0, 0, 0};
  }
  int32_t factor = std::max(1, std::min(outputWidth / width, outputHeight / height));
  CommonPlacement p{0, 0, width * factor, height * factor};
  p.x = std::max(0, (outputWidth - p.width) / 2);
  p.y = std::max(0, (outputHeight - p.height) / 2);
  return p;
}

int32_t CommonDpiFactor(int32_t dpi) {
  // The nearer whole factor; a scale halfway between two (150%) takes the
  // larger, as a picture a little too big is clearer than one too small.
  int32_t factor = (dpi + CommonBaseDpi / 2) / CommonBaseDpi;
  return std::max(1, factor);
}

CommonSize CommonFramedClient(int32_t width, int32_t height) {
  return CommonSize{std::max(1, width), std::max(1, height - static_cast<int32_t>(FrameWindowCaptionRows))};
}
