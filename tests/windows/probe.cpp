// Reports what a running presentation has on the screen, for the Wine
// stage: the display mode in force and where the demo window's client area
// lies. Prints "mode WIDTH HEIGHT BITS" and, when the window exists,
// "client X Y WIDTH HEIGHT" in screen coordinates and "state FOREGROUND
// ICONIC VISIBLE" (each 0 or 1), which tells why keys may not reach it.
//
// With "away": another program the viewer switches to. Its window takes the
// foreground, as Alt+Tab gives it, and prints "away" and the report above
// once it has it. When its standard input ends, it switches back as Alt+Tab
// does (the demo window restored if minimised, and made the foreground) and
// closes.
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {

bool Report() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    std::printf("no mode\n");
    return false;
  }
  std::printf("mode %lu %lu %lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
  HWND window = FindWindowA("QZClassName", nullptr);
  if (window == nullptr) {
    std::printf("no window\n");
    return true;
  }
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, client.right - client.left, client.bottom - client.top);
  std::printf("state %d %d %d\n", GetForegroundWindow() == window ? 1 : 0, IsIconic(window) ? 1 : 0,
              IsWindowVisible(window) ? 1 : 0);
  return true;
}

HWND AwayWindow = nullptr;

// Waits for the end of standard input, then has the window switch back.
DWORD WINAPI WaitForInputEnd(void*) {
  char byte = 0;
  DWORD read = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, &byte, 1, &read, nullptr) && read != 0) {
  }
  PostMessageA(AwayWindow, WM_CLOSE, 0, 0);
  return 0;
}

LRESULT CALLBACK AwayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    HWND demo = FindWindowA("QZClassName", nullptr);
    if (demo != nullptr) {
      if (IsIconic(demo)) {
        ShowWindow(demo, SW_RESTORE);
      }
      SetForegroundWindow(demo);
    }
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Away() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = AwayProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "QZAwayClass";
  if (RegisterClassA(&windowClass) == 0) {
    return 1;
  }
  // Not top-most: a full screen that lets others over it when it loses the
  // foreground is what shows this window.
  HWND away = AwayWindow = CreateWindowExA(0, "QZAwayClass", "QZ away", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  if (away == nullptr) {
    return 1;
  }
  SetForegroundWindow(away);
  HANDLE waiter = CreateThread(nullptr, 0, WaitForInputEnd, nullptr, 0, nullptr);
  if (waiter == nullptr) {
    return 1;
  }
  bool told = false;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        return 0;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!told && GetForegroundWindow() == away) {
      std::printf("away\n");
      Report();
      std::fflush(stdout);
      told = true;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "away") == 0) {
    return Away();
  }
  return Report() ? 0 : 1;
}
