// SDL's events as the window messages the Linux layer hands the window
// procedure. SDL's dummy video driver, named explicitly, serves the windows,
// so no display is needed; the events are pushed into SDL's queue.
#include "platform/linux/window.h"
#include "platform/plat_window.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

namespace {

// The size asked for is the outer one; the client area is the picture's,
// 16 rows less (the year-2000 caption's).
constexpr int32_t Width = 320;
constexpr int32_t Height = 256;
constexpr int32_t ClientHeight = 240;

std::vector<PlatMessage> Received;   // what the class procedure was given

intptr_t Record(uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  Received.push_back(PlatMessage{window, message, wParam, lParam});
  return PlatDefWindowProc(window, message, wParam, lParam);
}

class LinuxWindowMessages : public testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    PlatWindowClass windowClass{CS_VREDRAW | CS_HREDRAW, Record, 0, 0, PlatProgramInstance(), "messages"};
    ASSERT_TRUE(PlatRegisterClass(&windowClass));
    window = PlatCreateWindow(0, "messages", "t", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, Width, Height,
                              PlatProgramInstance());
    ASSERT_NE(window, 0u);
    LinuxWindow* w = LinuxFindWindow(window);
    ASSERT_NE(w, nullptr);
    sdlId = SDL_GetWindowID(w->sdl);
    ASSERT_NE(sdlId, 0u);
    PlatMessage ignored;
    for (int i = 0; i < 1000 && PlatPeekMessage(&ignored); i++) {
    }
    Received.clear();
  }
  void TearDown() override { PlatDestroyWindow(window); }

  // The one message an event becomes.
  PlatMessage Through(SDL_Event event) {
    EXPECT_EQ(SDL_PushEvent(&event), 1);
    PlatMessage m{0xDEAD, 0xDEAD, 0xDEAD, 0xDEAD};
    EXPECT_TRUE(PlatPeekMessage(&m));
    PlatMessage more;
    EXPECT_FALSE(PlatPeekMessage(&more)) << "one event, one message";
    return m;
  }

  PlatMessage Key(uint32_t type, SDL_Keycode key, uint8_t repeat = 0, uint32_t id = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = id != 0 ? id : sdlId;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.sym = key;
    return Through(e);
  }

  PlatMessage Button(uint32_t type, uint8_t button, int32_t x, int32_t y) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = sdlId;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return Through(e);
  }

  PlatMessage Window(uint8_t what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = sdlId;
    e.window.event = what;
    return Through(e);
  }

  uintptr_t window = 0;
  uint32_t sdlId = 0;
};

void ExpectMessage(const PlatMessage& m, uintptr_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  EXPECT_EQ(m.window, window);
  EXPECT_EQ(m.message, message);
  EXPECT_EQ(m.wParam, wParam);
  EXPECT_EQ(m.lParam, lParam);
}

TEST_F(LinuxWindowMessages, KeysBecomeKeyMessagesWithTheirVirtualKeyAndState) {
  ExpectMessage(Key(SDL_KEYDOWN, SDLK_ESCAPE), window, WM_KEYDOWN, VK_ESCAPE, 1);
  ExpectMessage(Key(SDL_KEYDOWN, SDLK_ESCAPE, 1), window, WM_KEYDOWN, VK_ESCAPE, 0x40000001);
  ExpectMessage(Key(SDL_KEYUP, SDLK_ESCAPE), window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  // Letters are the upper-case letter; digits, space, return, tab and
  // backspace their own character.
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_q).wParam, uint32_t{'Q'});
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_a).wParam, uint32_t{'A'});
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_z).wParam, uint32_t{'Z'});
  EXPECT_EQ(Key(SDL_KEYUP, SDLK_7).wParam, uint32_t{'7'});
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_SPACE).wParam, 0x20u);
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_RETURN).wParam, 0x0Du);
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_TAB).wParam, 0x09u);
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_BACKSPACE).wParam, 0x08u);
  // Any other key still arrives, with no virtual key.
  ExpectMessage(Key(SDL_KEYDOWN, SDLK_F1), window, WM_KEYDOWN, 0, 1);
  ExpectMessage(Key(SDL_KEYUP, SDLK_LSHIFT), window, WM_KEYUP, 0, 0xC0000001);
}

TEST_F(LinuxWindowMessages, PointerMovesCarryThePointInTheLowAndHighWords) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = sdlId;
  e.motion.x = 17;
  e.motion.y = 300;
  ExpectMessage(Through(e), window, WM_MOUSEMOVE, 0, 300u << 16 | 17u);
  e.motion.x = -3;
  e.motion.y = -2;
  ExpectMessage(Through(e), window, WM_MOUSEMOVE, 0, 0xFFFEFFFDu);
}

TEST_F(LinuxWindowMessages, ButtonsBecomeTheirPressAndReleaseMessages) {
  ExpectMessage(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), window, WM_LBUTTONDOWN, 0, 6u << 16 | 5u);
  ExpectMessage(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6), window, WM_LBUTTONUP, 0, 6u << 16 | 5u);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0).message, WM_RBUTTONDOWN);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, Width - 1, ClientHeight - 1).message, WM_RBUTTONUP);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1).message, WM_MBUTTONDOWN);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 1).message, WM_MBUTTONUP);
  // Extra buttons have no message of their own.
  ExpectMessage(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_X1, 1, 1), window, WM_NULL, 0, 1u << 16 | 1u);
}

TEST_F(LinuxWindowMessages, AReleaseOutsideTheWindowIsNoRelease) {
  // A drag that started over the window and ends beside it.
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, Width, 10).message, WM_NULL);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 10, ClientHeight).message, WM_NULL);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -1, 10).message, WM_NULL);
  EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, -1).message, WM_NULL);
  // A press is reported wherever SDL saw it.
  EXPECT_EQ(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, Width, 10).message, WM_RBUTTONDOWN);
}

// A moving mouse must not hold a quit gesture back: the moves waiting in the
// queue become one, the latest, and the key release is the next message.
TEST_F(LinuxWindowMessages, PendingMovesBecomeTheLatestOneAheadOfAKeyRelease) {
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.windowID = sdlId;
  for (int i = 0; i < 500; i++) {
    move.motion.x = i % 300;
    move.motion.y = i / 300;
    ASSERT_EQ(SDL_PushEvent(&move), 1);
  }
  SDL_Event key{};
  key.type = SDL_KEYUP;
  key.key.windowID = sdlId;
  key.key.keysym.sym = SDLK_ESCAPE;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  move.motion.x = 7;
  move.motion.y = 9;
  ASSERT_EQ(SDL_PushEvent(&move), 1);  // arrives after the release

  PlatMessage m{};
  ASSERT_TRUE(PlatPeekMessage(&m));
  ExpectMessage(m, window, WM_MOUSEMOVE, 0, 9u << 16 | 7u);
  ASSERT_TRUE(PlatPeekMessage(&m));
  ExpectMessage(m, window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  EXPECT_FALSE(PlatPeekMessage(&m)) << "one pending move at a time, as Windows keeps it";
}

// Size changes and Alt+Enter are the layer's own business: the window
// procedure sees no message for them, and Alt+Enter puts the window over the
// display and back.
// At the desktop's factor (1 on the dummy driver).
TEST_F(LinuxWindowMessages, TheClientAreaIsThePicturesSize) {
  LinuxWindow* w = LinuxFindWindow(window);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(PlatShowWindow(window, 5));
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(w->sdl, &width, &height);
  EXPECT_EQ(width, Width * w->factor);
  EXPECT_EQ(height, ClientHeight * w->factor);
  EXPECT_EQ(w->pictureWidth, Width);
  EXPECT_EQ(w->pictureHeight, ClientHeight);
}

TEST_F(LinuxWindowMessages, SizeChangesAndAltEnterReachNoProcedure) {
  for (uint8_t what : {SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_RESIZED, SDL_WINDOWEVENT_MAXIMIZED,
                       SDL_WINDOWEVENT_RESTORED}) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = sdlId;
    e.window.event = what;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  PlatMessage m{};
  EXPECT_FALSE(PlatPeekMessage(&m));

  LinuxWindow* w = LinuxFindWindow(window);
  ASSERT_NE(w, nullptr);
  ASSERT_FALSE(w->covering);
  auto enter = [&](uint32_t type, uint16_t mod) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = sdlId;
    e.key.keysym.sym = SDLK_RETURN;
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  };
  enter(SDL_KEYDOWN, KMOD_LALT);
  enter(SDL_KEYUP, KMOD_LALT);
  EXPECT_FALSE(PlatPeekMessage(&m));
  EXPECT_TRUE(w->covering);
  // Alt let go first: the release of Enter is still part of the gesture.
  enter(SDL_KEYDOWN, KMOD_RALT);
  enter(SDL_KEYUP, KMOD_NONE);
  EXPECT_FALSE(PlatPeekMessage(&m));
  EXPECT_FALSE(w->covering);
  // Return alone is an ordinary key.
  EXPECT_EQ(Key(SDL_KEYDOWN, SDLK_RETURN).message, WM_KEYDOWN);
}

TEST_F(LinuxWindowMessages, WindowEventsBecomeCloseFocusAndPaint) {
  ExpectMessage(Window(SDL_WINDOWEVENT_FOCUS_GAINED), window, WM_SETFOCUS, 0, 0);
  ExpectMessage(Window(SDL_WINDOWEVENT_FOCUS_LOST), window, WM_KILLFOCUS, 0, 0);
  ExpectMessage(Window(SDL_WINDOWEVENT_EXPOSED), window, WM_PAINT, 0, 0);
  ExpectMessage(Window(SDL_WINDOWEVENT_MOVED), window, WM_NULL, 0, 0);
  ExpectMessage(Window(SDL_WINDOWEVENT_CLOSE), window, WM_CLOSE, 0, 0);
}

TEST_F(LinuxWindowMessages, EventsOfNoWindowOfTheProgramNameNoWindow) {
  ExpectMessage(Key(SDL_KEYDOWN, SDLK_ESCAPE, 0, sdlId + 100), 0, WM_KEYDOWN, VK_ESCAPE, 1);
  SDL_Event e{};
  e.type = SDL_USEREVENT;
  ExpectMessage(Through(e), 0, WM_NULL, 0, 0);
  PlatMessage none{};
  EXPECT_FALSE(PlatPeekMessage(&none));
}

TEST_F(LinuxWindowMessages, ClosingTheWindowReachesTheProcedureWhoseDefaultDestroysIt) {
  PlatMessage keyUp = Key(SDL_KEYUP, SDLK_ESCAPE);
  PlatDispatchMessage(&keyUp);
  PlatMessage close = Window(SDL_WINDOWEVENT_CLOSE);
  PlatDispatchMessage(&close);
  ASSERT_EQ(Received.size(), 2u);
  ExpectMessage(Received[0], window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  ExpectMessage(Received[1], window, WM_CLOSE, 0, 0);
  EXPECT_EQ(LinuxFindWindow(window), nullptr);
  // Later events of the closed window reach no procedure.
  PlatMessage late = Key(SDL_KEYUP, SDLK_ESCAPE);
  EXPECT_EQ(late.window, 0u);
  PlatDispatchMessage(&late);
  EXPECT_EQ(Received.size(), 2u);
}

}  // namespace
