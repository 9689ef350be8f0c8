// Start-up and shutdown: the one straight sequence from the entry point to
// the exit code, split into steps that other programs (a capture tool that
// renders the presentation on a virtual clock) can reuse.
#pragma once
#include <cstdint>

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

// Start-up up to the run loop: window, frame, loading picture, scene table,
// content, fade table, scroll position, tick timer, sound library, music.
// False at the first failing step, with its SystemError recorded.
bool StartPresentation();

// The shutdown path, the same after a normal end and after any failure:
// stops the tick timer so no slot routine runs while the video closes,
// closes the sound library, releases the frame, closes the video and ends
// the process with SystemError.
[[noreturn]] void ShutdownPresentation();

// Ends the process with SystemError as its exit code.
[[noreturn]] void ExitWithSystemError();

// The whole program: start-up, the run loop, the shutdown path.
[[noreturn]] void QuillwaveMain();
