// The demo window and its messages.
#pragma once
#include <cstdint>

// One message for a window of the program, in the form the window
// procedure takes.
struct PlatMessage {
  uintptr_t window;
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};

// Called by RunLoop once per pass. Takes one pending message for any window
// of the program without waiting; false when there is none.
bool PlatPeekMessage(PlatMessage* message);

// Called by RunLoop for every message taken (kept for the key translation
// step; nothing the system examines depends on it).
void PlatTranslateMessage(const PlatMessage* message);

// Called by RunLoop: hands the message to the procedure of the window's
// class and returns its result.
intptr_t PlatDispatchMessage(const PlatMessage* message);
