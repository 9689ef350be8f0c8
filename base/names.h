// The program's names and numbers: the file it opens, the title of its
// window, the items of its archive, and the id it reports. The content build
// reads the file name and the item order from this file too
// (content/CMakeLists.txt), so keep each row on one line.
#pragma once
#include <cstdint>

constexpr char ProgramFileName[] = "QZ_Quillwave2k.exe";
constexpr char DemoWindowTitle[] = "Quillwave 2k - Orvalund";

// X(name, number, file the content build makes it from), in archive order.
#define QZ_ITEMS(X)                         \
  X(ItemWidePalette, 1, "wide.pal")         \
  X(ItemWidePicture, 2, "wide.pix")         \
  X(ItemMusic, 3, "music.mp3")              \
  X(ItemOpeningPalette, 4, "opening.pal")   \
  X(ItemOpeningPicture, 5, "opening.pix")   \
  X(ItemClosingPalette, 6, "closing.pal")   \
  X(ItemClosingPicture, 7, "closing.pix")   \
  X(ItemLoadingPalette, 8, "loading.pal")   \
  X(ItemLoadingPicture, 9, "loading.pix")

#define QZ_ITEM_CONSTANT(name, number, file) constexpr uint32_t name = number;
QZ_ITEMS(QZ_ITEM_CONSTANT)
#undef QZ_ITEM_CONSTANT

#define QZ_ITEM_COUNT(name, number, file) +1
constexpr uint32_t ItemCount = 0 QZ_ITEMS(QZ_ITEM_COUNT);
#undef QZ_ITEM_COUNT

struct SystemId {
  uint32_t platform;  // 0x57494E58, 'WINX'
  uint32_t version;   // 0x1080E
};
constexpr SystemId GetSystemId() { return SystemId{0x57494E58, 0x1080E}; }
