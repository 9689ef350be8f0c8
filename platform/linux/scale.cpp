// The desktop's whole factor on Linux: the settings' rule, and where SDL's
// X11 driver finds them (GDK_SCALE, the root window's X resources).
#include "platform/linux/scale.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t BaseDpi = 96;  // the resolution that counts as 1x

// Main thread only, as SDL's video wants.
int32_t Scale = 0;  // the factor once read, 0 before

// A whole number from 1 to LinuxLargestScale at `text`, digits only up to
// the end or a fraction; 0 for anything else.
int32_t WholeFactor(const char* text) {
  int32_t value = 0;
  const char* at = text;
  for (; *at >= '0' && *at <= '9'; at++) {
    value = value * 10 + (*at - '0');
    if (value > LinuxLargestScale) {
      return 0;
    }
  }
  bool ended = *at == '\0' || *at == '\n';
  return at != text && ended && value >= 1 ? value : 0;
}

// The value of the resource line that names Xft.dpi, as dots per inch
// rounded down; 0 when there is none or it is not a number.
int32_t XftDpi(const char* resources) {
  constexpr char Name[] = "Xft.dpi";
  for (const char* line = resources; line != nullptr && *line != '\0';) {
    if (std::strncmp(line, Name, sizeof Name - 1) == 0) {
      const char* at = line + sizeof Name - 1;
      while (*at == ' ' || *at == '\t') {
        at++;
      }
      if (*at == ':') {
        at++;
        while (*at == ' ' || *at == '\t') {
          at++;
        }
        int32_t dpi = 0;
        for (; *at >= '0' && *at <= '9' && dpi < 100000; at++) {
          dpi = dpi * 10 + (*at - '0');
        }
        return dpi;
      }
    }
    line = std::strchr(line, '\n');
    line = line != nullptr ? line + 1 : nullptr;
  }
  return 0;
}

// The first output's scale as SDL's Wayland driver reports it: the output's
// own mode, listed first, in physical pixels over the desktop in logical ones.
int32_t WaylandOutputScale() {
  SDL_DisplayMode desktop{};
  SDL_DisplayMode native{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || SDL_GetDisplayMode(0, 0, &native) != 0 || desktop.w <= 0) {
    return 1;
  }
  int32_t scale = native.w / desktop.w;
  return scale < 1 ? 1 : (scale > LinuxLargestScale ? LinuxLargestScale : scale);
}

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

}  // namespace

int LinuxVideoStart() {
  if (Named("SDL_VIDEODRIVER") || !Named("WAYLAND_DISPLAY")) {
    return SDL_InitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    if (!Named("DISPLAY") || WaylandOutputScale() > 1) {
      return 0;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  return SDL_InitSubSystem(SDL_INIT_VIDEO);
}

int32_t LinuxScaleOfSettings(const char* gdkScale, const char* resources) {
  int32_t asked = gdkScale != nullptr ? WholeFactor(gdkScale) : 0;
  if (asked > 0) {
    return asked;
  }
  int32_t factor = XftDpi(resources) / BaseDpi;
  return factor < 1 ? 1 : (factor > LinuxLargestScale ? LinuxLargestScale : factor);
}

int32_t LinuxDesktopScale() {
  if (Scale > 0) {
    return Scale;
  }
  Scale = 1;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
    return Scale;
  }
  // A connection of our own: SDL keeps its own to itself. The resources are
  // read as the connection opens, which is what a program starting now
  // should follow.
  Display* display = XOpenDisplay(nullptr);
  Scale = LinuxScaleOfSettings(std::getenv("GDK_SCALE"), display != nullptr ? XResourceManagerString(display) : nullptr);
  if (display != nullptr) {
    XCloseDisplay(display);
  }
  return Scale;
}
