// The desktop's whole factor from the settings X11 desktops publish.
#include "platform/linux/scale.h"

#include <gtest/gtest.h>

namespace {

struct ScaleCase {
  const char* gdkScale;
  const char* resources;
  int32_t factor;
};

TEST(DesktopScale, FromGdkScaleThenXftDpi) {
  const ScaleCase cases[] = {
      {nullptr, nullptr, 1},
      {nullptr, "", 1},
      {nullptr, "Xft.dpi:\t96\n", 1},
      {nullptr, "Xft.dpi:\t144\n", 1},  // 150% stays 1x: only whole factors are sharp
      {nullptr, "Xft.dpi:\t192\n", 2},
      {nullptr, "Xft.antialias:\t1\nXft.dpi:\t288\nXft.hinting:\t1\n", 3},
      {nullptr, "Xft.dpi: 192.5", 2},
      {nullptr, "Xft.dpi :192\n", 2},
      {nullptr, "Xft.dpi:\t48\n", 1},
      {nullptr, "Xft.dpi:\t100000\n", LinuxLargestScale},
      {nullptr, "Xft.dpi:\tlarge\n", 1},
      {nullptr, "Xft.dpix:\t192\n*.dpi:\t192\nXterm.Xft.dpi:\t192\n", 1},  // other resources
      {"2", nullptr, 2},
      {"2", "Xft.dpi:\t96\n", 2},  // GDK_SCALE wins
      {"1", "Xft.dpi:\t192\n", 1},
      {"0", "Xft.dpi:\t192\n", 2},  // not a factor: the resources decide
      {"1.5", "Xft.dpi:\t192\n", 2},
      {"x", "Xft.dpi:\t288\n", 3},
      {"", "Xft.dpi:\t192\n", 2},
      {"9", nullptr, 1},
  };
  for (const ScaleCase& c : cases) {
    EXPECT_EQ(LinuxScaleOfSettings(c.gdkScale, c.resources), c.factor)
        << "GDK_SCALE " << (c.gdkScale != nullptr ? c.gdkScale : "(unset)") << ", resources \""
        << (c.resources != nullptr ? c.resources : "(none)") << "\"";
  }
}

}  // namespace
