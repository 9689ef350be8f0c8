// The browser platform: the platform headers served on one page, on the
// browser's main thread. The page gets control back whenever the program
// waits: at each present (for the next animation frame), in each pause and
// while the sound library waits for the viewer's first gesture. The 1 ms
// ticks run on the same thread at those points, every tick that the clock
// says is due, in order. The JavaScript half is library.js.
#pragma once
#include "base/frame.h"

#include <cstdint>

// Runs every tick that has fallen due by the clock, in order, and starts a
// new slice of work (system.cpp).
void WebRunDueTicks();

// Gives the page control until its next animation frame, then runs the due
// ticks (window.cpp).
void WebWaitForFrame();

// Puts a canvas-sized picture (0x00RRGGBB, rows top-down) on the canvas
// outside any copy: the display service's surface (window.cpp).
void WebShowPicture(const uint32_t* pixels);

// The full-screen display service's state, for the window's copies
// (display.cpp): the depth of the mode on the screen, 0 when none is.
uint32_t WebModeDepth();

// Exports of the built-in services, by plain name (display.cpp, sound.cpp).
void* WebDisplaySymbol(const char* plainName);
void* WebSoundSymbol(const char* plainName);

// Monotonic milliseconds since the page opened (system.cpp).
double WebNowMilliseconds();

// The calls into library.js (tests link a fake page in its place).
extern "C" {
int qz_web_command_line(char* out, int room);
// Shows the code and its meaning on the page and ends the program's run.
[[noreturn]] void qz_web_exit(int code, const char* meaning);
double qz_web_now();                  // page clock, milliseconds
void qz_web_sleep(uint32_t milliseconds);
void qz_web_yield();                  // control back at once after the page's pending work
void qz_web_wait_frame();
void qz_web_paint(const uint8_t* rgba, int width, int height);
void qz_web_show_pointer(int show);
int qz_web_take_message(uint32_t* message, uint32_t* wParam);
int qz_web_audio_open();
int qz_web_audio_load(const uint8_t* data, int length);
void qz_web_audio_play();
double qz_web_audio_seconds();
void qz_web_audio_stop();
void qz_web_audio_close();
void qz_web_music_position(uint32_t position, int heard);
}
