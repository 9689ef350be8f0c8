// The command line, the display request it selects, the exit code, and the
// two small services every start-up step may use (a pause, the system id).
#pragma once
#include <cstdint>

// Exit codes: the value SystemError holds when the process ends.
constexpr uint32_t ErrorNone = 0;
constexpr uint32_t ErrorDisplayService = 1;   // full screen: no display service
constexpr uint32_t ErrorDisplayMode = 2;      // no usable display mode / surface
constexpr uint32_t ErrorTickTimer = 3;        // the tick timer did not start
constexpr uint32_t ErrorFrameBuffer = 4;      // no pixel memory for the frame
constexpr uint32_t ErrorNoDisplay = 5;        // window requested, no display at all
constexpr uint32_t ErrorSound = 6;            // sound library or music refused
constexpr uint32_t ErrorArchive = 7;          // program file missing or corrupt
constexpr uint32_t ErrorSoundFile = 8;        // music file refused

// The one failure report: 0 at start, set by failing services, never cleared.
extern uint32_t SystemError;

// Mode requests carried by DisplayRequest.modeRequest.
constexpr int32_t ModeWindow = -1;
constexpr int32_t ModeAutomatic = 0;

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

// Stores `code` in SystemError and reports false, so a failing service can
// end with `return RecordSystemError(code);`.
bool RecordSystemError(uint32_t code);

// Ends the process with SystemError as its exit code.
[[noreturn]] void ExitWithSystemError();

struct SystemId {
  uint32_t platform;  // 0x57494E58
  uint32_t version;   // 0x1080E
};
SystemId GetSystemId();

// Suspends the calling thread; the tick timer and the music go on.
void Pause(uint32_t milliseconds);
