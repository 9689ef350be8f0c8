// Memory device contexts and the frame's bitmap: memory only, so every
// backend can share it. The copies into a window are each backend's own
// PlatStretchBlt.
#include "platform/plat_bitmap.h"

#include "platform/common/bitmap.h"
#include "platform/common/handles.h"

#include <cstdlib>

namespace {

constexpr int MemoryDCRoom = 4;
constexpr int BitmapRoom = 4;
// Bitmaps larger than this many pixels are refused.
constexpr int64_t LargestBitmap = int64_t{8192} * 8192;

struct MemoryDC {
  bool used;
  int bitmap;  // index of the selected bitmap, -1 for none
};

struct Bitmap {
  bool used;
  CommonImage image;
};

MemoryDC MemoryDCs[MemoryDCRoom];
Bitmap Bitmaps[BitmapRoom];

}  // namespace

const CommonImage* CommonMemoryImage(uintptr_t dc) {
  if (dc < CommonMemoryDCBase || dc >= CommonMemoryDCBase + MemoryDCRoom) {
    return nullptr;
  }
  const MemoryDC& m = MemoryDCs[dc - CommonMemoryDCBase];
  return m.used && m.bitmap >= 0 ? &Bitmaps[m.bitmap].image : nullptr;
}

uintptr_t PlatCreateCompatibleDC(uintptr_t reference) {
  for (int i = 0; i < MemoryDCRoom; i++) {
    if (!MemoryDCs[i].used) {
      MemoryDCs[i] = MemoryDC{true, -1};
      return CommonMemoryDCBase + static_cast<uintptr_t>(i);
    }
  }
  return 0;
}

uintptr_t PlatCreateDIBSection(uintptr_t dc, const PlatBitmapInfo* info, uint32_t usage, void** bits,
                               uintptr_t section, uint32_t offset) {
  *bits = nullptr;
  if (info == nullptr || info->biSize != BitmapHeaderSize || info->biBitCount != 32 ||
      info->biCompression != BI_RGB || usage != DIB_RGB_COLORS || section != 0 || info->biWidth <= 0 ||
      info->biHeight == 0) {
    return 0;
  }
  int64_t height = info->biHeight < 0 ? -int64_t{info->biHeight} : info->biHeight;
  int64_t pixels = int64_t{info->biWidth} * height;
  if (pixels > LargestBitmap) {
    return 0;
  }
  for (int i = 0; i < BitmapRoom; i++) {
    if (!Bitmaps[i].used) {
      // Kept until the process ends; a bitmap is never deleted.
      auto* memory = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(pixels), sizeof(uint32_t)));
      if (memory == nullptr) {
        return 0;
      }
      Bitmaps[i] = Bitmap{true, CommonImage{memory, info->biWidth, static_cast<int32_t>(height), info->biHeight > 0}};
      *bits = memory;
      return CommonBitmapBase + static_cast<uintptr_t>(i);
    }
  }
  return 0;
}

uintptr_t PlatSelectObject(uintptr_t dc, uintptr_t object) {
  if (dc < CommonMemoryDCBase || dc >= CommonMemoryDCBase + MemoryDCRoom || !MemoryDCs[dc - CommonMemoryDCBase].used ||
      object < CommonBitmapBase || object >= CommonBitmapBase + BitmapRoom || !Bitmaps[object - CommonBitmapBase].used) {
    return 0;
  }
  MemoryDC& m = MemoryDCs[dc - CommonMemoryDCBase];
  uintptr_t previous = m.bitmap >= 0 ? CommonBitmapBase + static_cast<uintptr_t>(m.bitmap) : 0;
  m.bitmap = static_cast<int>(object - CommonBitmapBase);
  return previous;
}

bool PlatBitBlt(uintptr_t destination, int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t source,
                int32_t sourceX, int32_t sourceY, uint32_t rasterOperation) {
  return PlatStretchBlt(destination, x, y, width, height, source, sourceX, sourceY, width, height, rasterOperation);
}
