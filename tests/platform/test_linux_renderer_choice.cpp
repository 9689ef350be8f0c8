// Which renderer a window keeps.
#include "platform/linux/renderer_choice.h"

#include <gtest/gtest.h>

namespace {

// A window keeps SDL's accelerated renderer only on real graphics hardware
// that granted vertical sync.
TEST(RendererChoice, KeepsHardwareOpenGLWithVerticalSync) {
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengl", true, true, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.7)"}));
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengles2", true, true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)"}));
  EXPECT_TRUE(LinuxUseAcceleratedRenderer({"opengl", true, true, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"}));
}

// OpenGL drawn by the processor costs more than the plain-memory path.
TEST(RendererChoice, GivesUpSoftwareRasterisers) {
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "llvmpipe (LLVM 15.0.6, 256 bits)"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "LLVMPIPE (LLVM 12.0.0, 128 bits)"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "softpipe"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "Mesa X11 swrast"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "Software Rasterizer"}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, "zink (llvmpipe (LLVM 15.0.6, 256 bits))"}));
}

// Without vertical sync, acceleration, or an answer from OpenGL, the window
// goes back to the plain-memory path and its own wait for the refresh.
TEST(RendererChoice, GivesUpWhatItCannotTrust) {
  const char* hardware = "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.7)";
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, false, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", false, true, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, nullptr}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"opengl", true, true, ""}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({nullptr, true, true, hardware}));
  EXPECT_FALSE(LinuxUseAcceleratedRenderer({"software", true, true, hardware}));
}

}  // namespace
