// SDL's video on Linux and the renderer each window gets: started once,
// refused without a display, and for each window the cheapest renderer that
// shows the picture without tearing.
#include "platform/linux/scale.h"
#include "platform/linux/window.h"

#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <unistd.h>

namespace {

enum class VideoStart { NotTried, Ready, NoDisplay };

// Main thread only, as SDL's video wants.
VideoStart Video = VideoStart::NotTried;  // whether SDL's video started

bool IsHeadless(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Whether the machine has a graphics device that an OpenGL driver of real
// hardware could draw with. Without one OpenGL can only run on the
// processor, and asking it would load Mesa into the process for nothing.
bool HasGraphicsDevice() {
  if (access("/dev/nvidiactl", F_OK) == 0) {
    return true;
  }
  DIR* dri = opendir("/dev/dri");
  if (dri == nullptr) {
    return false;
  }
  bool found = false;
  for (dirent* entry = readdir(dri); entry != nullptr && !found; entry = readdir(dri)) {
    found = std::strncmp(entry->d_name, "card", 4) == 0 || std::strncmp(entry->d_name, "renderD", 7) == 0;
  }
  closedir(dri);
  return found;
}

using GetStringProcedure = const unsigned char* (*)(unsigned int);
constexpr unsigned int GlRendererName = 0x1F01;  // GL_RENDERER

// SDL's accelerated renderer for the window with vertical sync, where real
// graphics hardware draws it; otherwise null, and the renderer is gone.
SDL_Renderer* HardwareRenderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) {
    return nullptr;
  }
  LinuxRendererProbe probe{nullptr, false, false, nullptr};
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) == 0) {
    probe.name = info.name;
    probe.accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
    probe.vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  }
  // A new OpenGL renderer leaves its context current on this window.
  if (probe.name != nullptr && std::strncmp(probe.name, "opengl", 6) == 0 && SDL_GL_GetCurrentWindow() == window &&
      SDL_GL_GetCurrentContext() != nullptr) {
    auto getString = reinterpret_cast<GetStringProcedure>(SDL_GL_GetProcAddress("glGetString"));
    if (getString != nullptr) {
      probe.glRenderer = reinterpret_cast<const char*>(getString(GlRendererName));
    }
  }
  if (LinuxUseAcceleratedRenderer(probe)) {
    return renderer;
  }
  SDL_DestroyRenderer(renderer);
  return nullptr;
}

}  // namespace

bool LinuxVideoReady() {
  if (Video != VideoStart::NotTried) {
    return Video == VideoStart::Ready;
  }
  Video = VideoStart::NoDisplay;
  // Ctrl+C and kill end the process as usual instead of becoming events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The window's surface goes to the X server as an image in shared memory,
  // not through a software OpenGL texture whose threads and scaling cost
  // more than the picture itself. A user's environment still decides.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (LinuxVideoStart() != 0) {
    return false;
  }
  // Without a display SDL falls back to drivers that show nothing; only a
  // user who names one through SDL_VIDEODRIVER gets it.
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if ((asked == nullptr || *asked == '\0') && IsHeadless(SDL_GetCurrentVideoDriver())) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  Video = VideoStart::Ready;
  return true;
}

bool LinuxVideoStarted() { return Video == VideoStart::Ready; }

bool LinuxWindowOpen(LinuxWindow* w, const char* title, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t flags) {
  w->sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
  if (w->sdl == nullptr) {
    return false;
  }
  // Real graphics hardware shows the picture in step with the display's
  // refresh, so nothing tears.
  if (HasGraphicsDevice()) {
    w->renderer = HardwareRenderer(w->sdl);
  }
  if (w->renderer == nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_OPENGL) != 0) {
    // The probe made the window one for OpenGL; a fresh window puts the
    // plain-memory path back as it is without the probe, and SDL lets go
    // of OpenGL (Mesa itself stays mapped, its threads idle).
    SDL_DestroyWindow(w->sdl);
    w->sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
    if (w->sdl == nullptr) {
      return false;
    }
  }
  // Otherwise a 320x240 picture scaled by a whole factor is cheaper in plain
  // memory than through OpenGL, which on most Linux desktops without a
  // driver of their own (and under Xvfb) is itself software. There is no
  // vertical sync to ask for: picture.cpp paces every present. A video
  // driver with no window surface of its own (Wayland's) has only OpenGL.
  if (w->renderer == nullptr) {
    w->renderer = SDL_CreateRenderer(w->sdl, -1, SDL_RENDERER_SOFTWARE);
  }
  if (w->renderer == nullptr) {
    w->renderer = SDL_CreateRenderer(w->sdl, -1, SDL_RENDERER_PRESENTVSYNC);
  }
  SDL_RendererInfo info{};
  w->synced = w->renderer != nullptr && SDL_GetRendererInfo(w->renderer, &info) == 0 &&
              (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  if (w->renderer == nullptr) {
    SDL_DestroyWindow(w->sdl);
    return false;
  }
  return true;
}
