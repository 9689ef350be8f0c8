// Start-up and shutdown: the one straight sequence from the entry point to
// the exit code, split into steps that other programs (a capture tool that
// renders the presentation on a virtual clock, the timing tools, the test
// harness) call instead of copies of their own.
#pragma once
#include <cstdint>

struct SceneEntry;

// The MP3 music (item 3), decoded to its beginning; the zero fill behind it
// is handed to the sound library with it.
constexpr uint32_t MusicBufferBytes = 2200000;
extern uint8_t MusicBuffer[MusicBufferBytes];

// Reads the loading picture (items 8 and 9) from the program file, expands
// it into the frame and presents it once. False with SystemError 7 when the
// program file cannot be opened or an item is refused.
bool ShowLoadingScreen();

// Reads items 1 to 7 (pictures, palettes, music) into their buffers. False
// with SystemError 7 when the program file cannot be opened or an item is
// refused.
bool LoadContent();

// The scene table start-up installs: the script's. A tool or a test may put
// a table of its own (the script's rows with wrapped routines) in its place
// before start-up; nothing in this system does.
extern const SceneEntry* PresentationScenes;

// Start-up up to the run loop: window, frame, loading picture, scene table,
// content, fade table, scroll position, tick timer, sound library, music.
// False at the first failing step, with its SystemError recorded.
bool StartPresentation();

// Start-up, then the run loop until it ends and the stop of playback after
// it. False when start-up failed (SystemError says where).
bool PlayPresentation();

// The shutdown path without the process exit, the same after a normal end
// and after any failure: stops the tick timer so no slot routine runs while
// the video closes, closes the sound library, releases the frame's context
// and closes the video.
void StopPresentation();

// StopPresentation, then the process ends with SystemError.
[[noreturn]] void ShutdownPresentation();

// Ends the process with SystemError as its exit code.
[[noreturn]] void ExitWithSystemError();

// The whole program: start-up, the run loop, the shutdown path.
[[noreturn]] void QuillwaveMain();
