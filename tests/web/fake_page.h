// The page as the browser platform's tests see it: library.js's calls
// served on the host, with a clock that moves only when the platform waits.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

struct FakePage {
  double now = 1000;              // page clock, milliseconds
  double frameInterval = 16.0;    // one animation frame, milliseconds
  int frameWaits = 0;
  int yields = 0;                 // control handed back between file reads
  std::vector<uint8_t> canvas;    // the last picture painted, RGBA
  int paints = 0;
  std::deque<std::pair<uint32_t, uint32_t>> messages;  // message, wParam
  bool pointerShown = true;
  bool audio = true;              // the page has audio
  int loadResult = 1;             // what the music's load reports
  double loadWait = 0;            // milliseconds the load waits (the gesture)
  double audioSeconds = 0;        // what the audio clock says
  int plays = 0;
  int stops = 0;
  uint32_t position = 0;          // the last position the page was told
};

extern FakePage Page;
