// The demo window on Windows: its class, its messages, its device context
// and the mouse pointer. The system's window procedure takes 32-bit message
// values; a 64-bit window procedure receives pointer-sized ones, so each
// class is registered with a thunk that calls the system's procedure and
// remembers the full values for the default handling.
#include "platform/plat_window.h"

#include "platform/common/present.h"
#include "platform/common/window_class.h"
#include "platform/windows/screen.h"

#include <windows.h>

namespace {

// A message as Windows delivered it, pointer-sized values whole.
struct NativeMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The layer's state. Main thread only: window procedures run on the thread
// that made the window, inside its message calls.
CommonClassTable Classes;                // registered classes, each with its thunk
const NativeMessage* Innermost = nullptr;  // message the innermost thunk is handling
MSG Taken;                               // the last message PlatPeekMessage removed
PlatMessage TakenAsGiven;                // ... as it was handed to the system

// The system's procedure for class `Index`, called with the values it takes.
template <int Index>
LRESULT CALLBACK ClassThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PlatWindowProcedure procedure = Classes.slot[Index].procedure;
  LRESULT answered = 0;
  if (WindowsScreenMessage(window, message, wParam, lParam, &answered)) {
    return answered;
  }
  if (procedure == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Default handling inside the procedure may send further messages; each
  // level restores the one outside it.
  NativeMessage here{window, message, wParam, lParam};
  const NativeMessage* outer = Innermost;
  Innermost = &here;
  LRESULT result = procedure(reinterpret_cast<uintptr_t>(window), message, static_cast<uint32_t>(wParam),
                             static_cast<uint32_t>(lParam));
  Innermost = outer;
  return result;
}

constexpr WNDPROC Thunks[] = {ClassThunk<0>, ClassThunk<1>, ClassThunk<2>, ClassThunk<3>};
static_assert(sizeof(Thunks) / sizeof(Thunks[0]) == CommonClassRoom, "one thunk per class slot");

bool SameAsGiven(const NativeMessage& native, uintptr_t window, uint32_t message, uint32_t wParam,
                 uint32_t lParam) {
  return reinterpret_cast<uintptr_t>(native.window) == window && native.message == message &&
         static_cast<uint32_t>(native.wParam) == wParam && static_cast<uint32_t>(native.lParam) == lParam;
}

// The message taken from the queue, whole, when `message` is what the system
// was given for it; otherwise one made from the values the system holds.
const MSG* NativeOf(const PlatMessage* message, MSG* scratch) {
  if (message->window == TakenAsGiven.window && message->message == TakenAsGiven.message &&
      message->wParam == TakenAsGiven.wParam && message->lParam == TakenAsGiven.lParam) {
    return &Taken;
  }
  *scratch = MSG{};
  scratch->hwnd = reinterpret_cast<HWND>(message->window);
  scratch->message = message->message;
  scratch->wParam = message->wParam;
  scratch->lParam = static_cast<int32_t>(message->lParam);
  return scratch;
}

}  // namespace

bool PlatPeekMessage(PlatMessage* message) {
  if (!PeekMessageA(&Taken, nullptr, 0, 0, PM_REMOVE)) {
    return false;
  }
  TakenAsGiven = PlatMessage{reinterpret_cast<uintptr_t>(Taken.hwnd), Taken.message,
                             static_cast<uint32_t>(Taken.wParam), static_cast<uint32_t>(Taken.lParam)};
  *message = TakenAsGiven;
  return true;
}

void PlatTranslateMessage(const PlatMessage* message) {
  MSG scratch;
  TranslateMessage(NativeOf(message, &scratch));
}

intptr_t PlatDispatchMessage(const PlatMessage* message) {
  MSG scratch;
  return DispatchMessageA(NativeOf(message, &scratch));
}

intptr_t PlatDefWindowProc(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  // Pointers in wParam or lParam (creation records, sizes, texts) reach the
  // default handling whole.
  if (Innermost != nullptr && SameAsGiven(*Innermost, window, message, wParam, lParam)) {
    return DefWindowProcA(Innermost->window, Innermost->message, Innermost->wParam, Innermost->lParam);
  }
  return DefWindowProcA(reinterpret_cast<HWND>(window), message, wParam, static_cast<int32_t>(lParam));
}

uintptr_t PlatProgramInstance() { return reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)); }

bool PlatRegisterClass(const PlatWindowClass* windowClass) {
  if (windowClass == nullptr) {
    return false;
  }
  bool known = CommonClassFind(Classes, windowClass->className) >= 0;
  int slot = CommonClassRegister(&Classes, windowClass->className, windowClass->procedure);
  if (slot < 0 || known) {
    // Registered already: the thunk now calls the new procedure.
    return slot >= 0;
  }
  CommonClass& record = Classes.slot[slot];
  WNDCLASSA native{};
  native.style = windowClass->style;
  native.lpfnWndProc = Thunks[slot];
  native.cbClsExtra = static_cast<int>(windowClass->classExtra);
  native.cbWndExtra = static_cast<int>(windowClass->windowExtra);
  native.hInstance = reinterpret_cast<HINSTANCE>(windowClass->instance);
  native.lpszClassName = record.name;
  if (RegisterClassA(&native) == 0) {
    record = CommonClass{};
    return false;
  }
  return true;
}

uintptr_t PlatCreateWindow(uint32_t extendedStyle, const char* className, const char* title, uint32_t style,
                           int32_t x, int32_t y, int32_t width, int32_t height, uintptr_t instance) {
  WindowsDeclareDpiAwareness();
  // A window on the desktop gets the picture-sized part of the size asked
  // for as its client area (CommonFramedClient), at the monitor's scale; it
  // may be resized and maximised, the picture scaling with it.
  bool framed = (style & WS_CAPTION) == WS_CAPTION;
  CommonSize client = CommonFramedClient(width, height);
  int32_t clientWidth = client.width;
  int32_t clientHeight = client.height;
  if (framed) {
    width = clientWidth;
    height = clientHeight;
    WindowsFramedSize(extendedStyle, &style, &width, &height);
  }
  HWND window = CreateWindowExA(extendedStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                                reinterpret_cast<HINSTANCE>(instance), nullptr);
  if (window == nullptr) {
    return 0;
  }
  WindowsScreen* screen = WindowsAddScreen(window, framed);
  if (screen != nullptr && framed) {
    WindowsFitClient(screen, clientWidth, clientHeight);
  }
  return reinterpret_cast<uintptr_t>(window);
}

uintptr_t PlatGetDC(uintptr_t window) { return reinterpret_cast<uintptr_t>(GetDC(reinterpret_cast<HWND>(window))); }

int32_t PlatReleaseDC(uintptr_t window, uintptr_t dc) {
  return ReleaseDC(reinterpret_cast<HWND>(window), reinterpret_cast<HDC>(dc));
}

bool PlatShowWindow(uintptr_t window, int32_t command) {
  return ShowWindow(reinterpret_cast<HWND>(window), command) != 0;
}

int32_t PlatShowCursor(bool show) { return ShowCursor(show ? TRUE : FALSE); }

bool PlatDestroyWindow(uintptr_t window) {
  bool destroyed = DestroyWindow(reinterpret_cast<HWND>(window)) != 0;
  WindowsRemoveScreen(reinterpret_cast<HWND>(window));
  return destroyed;
}
