// qzpack preview PALETTE PIXELS WIDTH OUT.png: a Palette item and an
// IndexedPicture item back to a PNG, the picture WIDTH pixels wide.
#include "content/lib/pngio.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

int VerbPreview(const VerbArgs& args) {
  if (args.size() != 4) {
    return FailUsage("preview");
  }
  uint32_t width = 0;
  if (!ParseIndex(args[2], &width) || width == 0) {
    return Fail("preview: width must be a whole number above 0, not '" + args[2] + "'");
  }
  std::vector<uint8_t> palette;
  content::IndexedImage image;
  std::string error;
  if (!content::ReadFile(args[0], palette, error) || !content::ReadPaletteItem(palette, image, error)) {
    return Fail(args[0] + ": " + error);
  }
  if (!content::ReadFile(args[1], image.pixels, error)) {
    return Fail(error);
  }
  if (image.pixels.empty() || image.pixels.size() % width != 0) {
    return Fail(args[1] + ": " + std::to_string(image.pixels.size()) + " bytes are not whole rows of " +
                std::to_string(width) + " pixels");
  }
  image.width = int(width);
  image.height = int(image.pixels.size() / width);
  if (!content::WriteIndexedPng(args[3], image, error)) {
    return Fail(error);
  }
  return 0;
}
