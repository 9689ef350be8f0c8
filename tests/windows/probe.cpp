// Reports what a running presentation has on the screen, for the Wine
// stage: the display mode in force and where the demo window's client area
// lies. Prints "mode WIDTH HEIGHT BITS" and, when the window exists,
// "client X Y WIDTH HEIGHT" in screen coordinates and "state FOREGROUND
// ICONIC VISIBLE" (each 0 or 1), which tells why keys may not reach it.
#include <cstdio>
#include <windows.h>

int main() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    std::printf("no mode\n");
    return 1;
  }
  std::printf("mode %lu %lu %lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
  HWND window = FindWindowA("QZClassName", nullptr);
  if (window == nullptr) {
    std::printf("no window\n");
    return 0;
  }
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, client.right - client.left, client.bottom - client.top);
  std::printf("state %d %d %d\n", GetForegroundWindow() == window ? 1 : 0, IsIconic(window) ? 1 : 0,
              IsWindowVisible(window) ? 1 : 0);
  return 0;
}
