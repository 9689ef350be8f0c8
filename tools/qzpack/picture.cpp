// qzpack picture IN.png PALETTE_OUT PIXELS_OUT [--dither]: a PNG into a
// Palette item (256 entries of blue, green, red, 0) and an IndexedPicture
// item (one byte per pixel, top row first). An indexed PNG keeps its own
// palette and indices; any other PNG is reduced to 256 colours.
#include <cstdio>

#include "content/lib/pngio.h"
#include "content/lib/quantise.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

int VerbPicture(const VerbArgs& args) {
  std::vector<std::string> paths;
  bool dither = false;
  for (const std::string& a : args) {
    if (a == "--dither") {
      dither = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Fail("picture: unknown option " + a);
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 3) {
    return FailUsage("picture");
  }
  content::PngPicture png;
  std::string error;
  if (!content::ReadPng(paths[0], png, error)) {
    return Fail(error);
  }
  bool kept = png.indexed;
  if (!kept) {
    // Full error diffusion when asked; the refinement passes are the ones
    // the default content uses.
    png.image = content::Quantise(png.colour, content::QuantiseOptions{dither ? 1.0f : 0.0f, 8});
  }
  if (!content::WriteFile(paths[1], content::PaletteItem(png.image), error) ||
      !content::WriteFile(paths[2], png.image.pixels, error)) {
    return Fail(error);
  }
  std::printf("%s: %d x %d, %s\n", paths[0].c_str(), png.image.width, png.image.height,
              kept ? "palette kept" : "reduced to 256 colours");
  return 0;
}
