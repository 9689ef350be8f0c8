// The command line and the display request it selects.
#pragma once
#include <cstdint>

// The mode requests (ModeWindow, ModeAutomatic) are the video device's.
#include "video/video.h"

struct DisplayRequest {
  uint32_t width;       // pixels; the window's outer width
  uint32_t height;      // pixels; the window's outer height
  int32_t modeRequest;  // ModeWindow, ModeAutomatic or bits per pixel
};

struct TokenSearch {
  uint32_t count;     // tokens on the command line
  const char* start;  // where the asked-for token begins, or null
};

// Token n (1-based) of the command line and the token count; n = 0 counts only.
TokenSearch FindToken(uint32_t n);

// True when some token begins with `option`, '-' in a token counting as '/'.
bool HasOption(const char* option);

// "/w", "/16", "/15", "/24" in that priority; none selects the automatic request.
DisplayRequest ChooseDisplayRequest();
