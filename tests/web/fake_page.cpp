// library.js on the host, for the browser platform's tests.
#include "tests/web/fake_page.h"

#include "platform/web/web.h"

#include <cstdlib>
#include <cstring>

FakePage Page;

extern "C" {

int qz_web_command_line(char* out, int room) {
  std::strncpy(out, "QZ_Quillwave2k.exe /w", static_cast<size_t>(room) - 1);
  return 1;
}

void qz_web_exit(int code, const char* meaning) { std::_Exit(code); }

double qz_web_now() { return Page.now; }

void qz_web_sleep(uint32_t milliseconds) { Page.now += milliseconds; }

void qz_web_yield() { Page.yields++; }

void qz_web_wait_frame() {
  Page.now += Page.frameInterval;
  Page.frameWaits++;
}

void qz_web_paint(const uint8_t* rgba, int width, int height) {
  Page.canvas.assign(rgba, rgba + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  Page.paints++;
}

void qz_web_show_pointer(int show) { Page.pointerShown = show != 0; }

int qz_web_take_message(uint32_t* message, uint32_t* wParam) {
  if (Page.messages.empty()) {
    return 0;
  }
  *message = Page.messages.front().first;
  *wParam = Page.messages.front().second;
  Page.messages.pop_front();
  return 1;
}

int qz_web_audio_open() { return Page.audio ? 1 : 0; }

int qz_web_audio_load(const uint8_t* data, int length) {
  Page.now += Page.loadWait;
  return Page.loadResult;
}

void qz_web_audio_play() { Page.plays++; }
double qz_web_audio_seconds() { return Page.audioSeconds; }
void qz_web_audio_stop() { Page.stops++; }
void qz_web_audio_close() {}
void qz_web_music_position(uint32_t position, int heard) { Page.position = position; }
}
