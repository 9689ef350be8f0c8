// The nearest-pixel stretch with clipping, shared by every backend's copies
// into its windows.
#include "platform/common/bitmap.h"

#include <algorithm>

CommonClip CommonClipStretch(const CommonStretch& copy, int32_t pictureWidth, int32_t pictureHeight) {
  if (copy.width <= 0 || copy.height <= 0 || copy.sourceWidth <= 0 || copy.sourceHeight <= 0) {
    return CommonClip{0, 0, 0, 0};
  }
  return CommonClip{
      std::max(copy.x, 0),
      std::max(copy.y, 0),
      static_cast<int32_t>(std::min<int64_t>(int64_t{copy.x} + copy.width, pictureWidth)),
      static_cast<int32_t>(std::min<int64_t>(int64_t{copy.y} + copy.height, pictureHeight)),
  };
}

bool CommonClipEmpty(const CommonClip& clip) { return clip.left >= clip.right || clip.top >= clip.bottom; }

void CommonStretchCopy(const CommonImage& image, const CommonStretch& copy, const CommonClip& clip, uint32_t* out,
                       size_t pitch, const uint8_t (*level)[256]) {
  auto* rowStart = reinterpret_cast<uint8_t*>(out);
  for (int32_t row = clip.top; row < clip.bottom; row++, rowStart += pitch) {
    auto* line = reinterpret_cast<uint32_t*>(rowStart);
    int64_t from = copy.sourceY + int64_t{row - copy.y} * copy.sourceHeight / copy.height;
    const uint32_t* in = nullptr;
    if (from >= 0 && from < image.height) {
      int64_t source = image.bottomUp ? image.height - 1 - from : from;
      in = image.pixels + source * image.width;
    }
    for (int32_t column = clip.left; column < clip.right; column++) {
      int64_t at = copy.sourceX + int64_t{column - copy.x} * copy.sourceWidth / copy.width;
      uint32_t shown = 0;
      if (in != nullptr && at >= 0 && at < image.width) {
        shown = in[at];
        if (level != nullptr) {
          shown = uint32_t{level[0][(shown >> 16) & 0xFF]} << 16 | uint32_t{level[1][(shown >> 8) & 0xFF]} << 8 |
                  level[2][shown & 0xFF];
        }
      }
      line[column - clip.left] = shown;
    }
  }
}
