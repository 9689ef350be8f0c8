// The program's names and numbers: the file it opens, the title of its
// window, the items of its archive, and the id it reports. The content build
// reads the file name and the item order from this file too
// (content/CMakeLists.txt), so keep each row on one line.
#pragma once
#include <cstdint>

constexpr char ProgramFileName[] = "QZ_Quillwave2k.exe";
constexpr char DemoWindowTitle[] = "Quillwave 2k - Orvalund";

// X(number, name, file the content build makes it from), in archive order.
#define QZ_ITEMS(X)                         \
  X(1, ItemWidePalette, "wide.pal")         \
  X(2, ItemWidePicture, "wide.pix")         \
  X(3, ItemMusic, "music.mp3")              \
  X(4, ItemOpeningPalette, "opening.pal")   \
  X(5, ItemOpeningPicture, "opening.pix")   \
  X(6, ItemClosingPalette, "closing.pal")   \
  X(7, ItemClosingPicture, "closing.pix")   \
  X(8, ItemLoadingPalette, "loading.pal")   \
  X(9, ItemLoadingPicture, "loading.pix")

#define QZ_ITEM_CONSTANT(number, name, file) constexpr uint32_t name = number;
QZ_ITEMS(QZ_ITEM_CONSTANT)
#undef QZ_ITEM_CONSTANT

#define QZ_ITEM_COUNT(number, name, file) +1
constexpr uint32_t ItemCount = 0 QZ_ITEMS(QZ_ITEM_COUNT);
#undef QZ_ITEM_COUNT

struct SystemId {
  uint32_t platform;  // 0x57494E58, 'WINX'
  uint32_t version;   // 0x1080E
};
// It completes the service layer's interface: nothing in this program calls
// it; the tests do.
constexpr SystemId GetSystemId() { return SystemId{0x57494E58, 0x1080E}; }
