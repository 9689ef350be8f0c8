// SDL's events as the window messages the system expects, on Linux: keys,
// the mouse and the window's own events, one message per take. Changes of
// size and Alt+Enter are answered here and never reach the window
// procedure.
#include "platform/plat_window.h"

#include "platform/linux/window.h"

namespace {

// Mouse moves taken out of the queue at once when keeping only the latest.
constexpr int MoveBatch = 64;

// Main thread only, as SDL's video wants.
SDL_Keycode TakenEnter = 0;    // the Enter key of an Alt+Enter until its release, which is ours too

// An Enter press with Alt held, its repeats, and the release of that Enter
// key, whether Alt is still held then or not.
bool IsAltEnter(const SDL_Event& event) {
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
    return false;
  }
  SDL_Keycode key = event.key.keysym.sym;
  if (event.type == SDL_KEYUP && key == TakenEnter && key != 0) {
    TakenEnter = 0;
    return true;
  }
  if (event.type == SDL_KEYDOWN && (key == SDLK_RETURN || key == SDLK_KP_ENTER) &&
      (event.key.keysym.mod & KMOD_ALT) != 0) {
    TakenEnter = key;
    return true;
  }
  return false;
}

// Events the layer answers itself, which the window procedure never sees:
// changes of the window's size (the picture is shown again, scaled to the
// new size) and Alt+Enter. True when the event was one of them.
bool HandledHere(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT) {
    uint8_t what = event.window.event;
    if (what != SDL_WINDOWEVENT_SIZE_CHANGED && what != SDL_WINDOWEVENT_RESIZED &&
        what != SDL_WINDOWEVENT_MAXIMIZED && what != SDL_WINDOWEVENT_RESTORED) {
      return false;
    }
    LinuxWindow* w = LinuxWindowOfSdlId(event.window.windowID);
    if (w != nullptr) {
      w->relayout = true;
    }
    return true;
  }
  if (IsAltEnter(event)) {
    LinuxWindow* w = LinuxWindowOfSdlId(event.key.windowID);
    if (w != nullptr && event.type == SDL_KEYDOWN && event.key.repeat == 0) {
      LinuxWindowToggleCover(w);
    }
    return true;
  }
  return false;
}

// A moving mouse fills the queue faster than one message a pass empties it.
// As Windows keeps one pending mouse move, the latest, so does this: every
// move waiting in the queue is taken out and `event` becomes the last one.
void KeepLatestMove(SDL_Event* event) {
  SDL_Event moves[MoveBatch];
  int got = 0;
  while ((got = SDL_PeepEvents(moves, MoveBatch, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION)) > 0) {
    *event = moves[got - 1];
  }
}

// Windows virtual-key code of an SDL key, 0 for keys the system never asks about.
uint32_t VirtualKey(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) {
    return VK_ESCAPE;
  }
  if (key >= SDLK_a && key <= SDLK_z) {
    return static_cast<uint32_t>('A' + (key - SDLK_a));
  }
  if ((key >= SDLK_0 && key <= SDLK_9) || key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_TAB ||
      key == SDLK_BACKSPACE) {
    return static_cast<uint32_t>(key);
  }
  return 0;
}

uint32_t PointLParam(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

// One SDL event as the message the window procedure expects.
PlatMessage Translate(const SDL_Event& event) {
  PlatMessage m{0, WM_NULL, 0, 0};
  LinuxWindow* w = nullptr;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      w = LinuxWindowOfSdlId(event.key.windowID);
      m.message = event.type == SDL_KEYUP ? WM_KEYUP : WM_KEYDOWN;
      m.wParam = VirtualKey(event.key.keysym.sym);
      // Repeat count 1; a release also carries the previous-state and
      // transition bits.
      m.lParam = event.type == SDL_KEYUP ? 0xC0000001u : (event.key.repeat ? 0x40000001u : 1u);
      break;
    case SDL_MOUSEMOTION:
      w = LinuxWindowOfSdlId(event.motion.windowID);
      m.message = WM_MOUSEMOVE;
      m.lParam = PointLParam(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      w = LinuxWindowOfSdlId(event.button.windowID);
      bool up = event.type == SDL_MOUSEBUTTONUP;
      if (event.button.button == SDL_BUTTON_LEFT) {
        m.message = up ? WM_LBUTTONUP : WM_LBUTTONDOWN;
      } else if (event.button.button == SDL_BUTTON_RIGHT) {
        m.message = up ? WM_RBUTTONUP : WM_RBUTTONDOWN;
      } else if (event.button.button == SDL_BUTTON_MIDDLE) {
        m.message = up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
      }
      // A release counts only over the window; SDL also reports releases
      // that end a drag outside it.
      int width = 0;
      int height = 0;
      if (w != nullptr) {
        SDL_GetWindowSize(w->sdl, &width, &height);
      }
      if (up && (event.button.x < 0 || event.button.y < 0 || event.button.x >= width || event.button.y >= height)) {
        m.message = WM_NULL;
      }
      m.lParam = PointLParam(event.button.x, event.button.y);
      break;
    }
    case SDL_WINDOWEVENT:
      w = LinuxWindowOfSdlId(event.window.windowID);
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        m.message = WM_CLOSE;
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        m.message = WM_SETFOCUS;
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        m.message = WM_KILLFOCUS;
      } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        m.message = WM_PAINT;
      }
      break;
    default:
      break;
  }
  m.window = w != nullptr ? LinuxWindowHandle(w) : 0;
  return m;
}

}  // namespace

// --- messages -------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* message) {
  if (!LinuxVideoStarted()) {
    return false;
  }
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (HandledHere(event)) {
      continue;
    }
    if (event.type == SDL_MOUSEMOTION) {
      KeepLatestMove(&event);
    }
    *message = Translate(event);
    return true;
  }
  return false;
}

void PlatTranslateMessage(const PlatMessage* message) {}
