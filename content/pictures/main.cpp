// Paints one of the presentation's pictures and writes its Palette item,
// its IndexedPicture item and a PNG preview.
// Usage: qz_paint NAME FONT_FOLDER OUT_FOLDER   (NAME: loading opening closing wide)
#include <cstdio>
#include <cstring>

#include "content/lib/pngio.h"
#include "content/lib/quantise.h"
#include "content/pictures/pictures.h"

int main(int argc, char** argv) {
  using namespace content;
  if (argc != 4) {
    std::fprintf(stderr, "usage: qz_paint loading|opening|closing|wide FONT_FOLDER OUT_FOLDER\n");
    return 1;
  }
  const char* name = argv[1];
  Fonts fonts = FontsIn(argv[2]);
  struct Painter {
    const char* name;
    Canvas (*paint)(const Fonts&);
    float dither;
  };
  // Dithering smooths the long gradients; the amount is tuned per picture.
  const Painter painters[] = {{"loading", PaintLoading, 0.6f},
                              {"opening", PaintOpening, 0.6f},
                              {"closing", PaintClosing, 0.6f},
                              {"wide", PaintWide, 0.6f}};
  for (const Painter& p : painters) {
    if (std::strcmp(p.name, name) == 0) {
      Canvas canvas = p.paint(fonts);
      IndexedImage image = Quantise(canvas, QuantiseOptions{p.dither, 8});
      std::printf("%s: mean colour error %.4f\n", name, QuantiseError(canvas, image));
      return WritePictureItems(argv[3], name, image) ? 0 : 1;
    }
  }
  std::fprintf(stderr, "unknown picture %s\n", name);
  return 1;
}
