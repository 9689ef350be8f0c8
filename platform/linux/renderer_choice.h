// Which of SDL's renderers a window keeps, decided without SDL on what the
// renderer reported, so the tests run it directly. (Pacing and placement
// are common/present.h.)
#pragma once
#include <cstdint>

// What SDL's accelerated renderer for a window turned out to be.
struct LinuxRendererProbe {
  const char* name;        // SDL's name for it ("opengl", "opengles2", ...)
  bool accelerated;        // SDL counts it as accelerated
  bool vsync;              // the driver granted vertical sync
  const char* glRenderer;  // OpenGL's GL_RENDERER, or null where none was read
};

// Whether a window keeps that renderer: only real graphics hardware with
// vertical sync. OpenGL drawn by the processor (Mesa's llvmpipe, softpipe or
// swrast) costs more than the plain-memory path, so it is given up, as is a
// renderer whose OpenGL could not be asked.
bool LinuxUseAcceleratedRenderer(const LinuxRendererProbe& probe);
