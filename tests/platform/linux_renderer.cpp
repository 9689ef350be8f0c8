// Opens one window of the Linux layer on the display and prints which of
// SDL's renderers shows it ("renderer software", "renderer opengl", ...),
// for the Xvfb stage.
#include "platform/linux/window.h"
#include "platform/plat_window.h"

#include <SDL.h>

#include <cstdio>

namespace {

intptr_t Procedure(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  return PlatDefWindowProc(window, message, wParam, lParam);
}

}  // namespace

int main() {
  PlatWindowClass windowClass{CS_VREDRAW | CS_HREDRAW, Procedure, 0, 0, PlatProgramInstance(), "renderer"};
  if (!PlatRegisterClass(&windowClass)) {
    std::printf("no class\n");
    return 1;
  }
  uintptr_t window = PlatCreateWindow(0, "renderer", "renderer", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 320, 240,
                                      PlatProgramInstance());
  LinuxWindow* w = LinuxFindWindow(window);
  SDL_RendererInfo info{};
  if (w == nullptr || SDL_GetRendererInfo(w->renderer, &info) != 0) {
    std::printf("no window\n");
    return 1;
  }
  std::printf("renderer %s\n", info.name);
  std::fflush(stdout);
  PlatDestroyWindow(window);
  return 0;
}
