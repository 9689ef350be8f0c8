// Reference frames for the browser tests: which frame, drawn by the
// system's own drawing routines on the host, a picture read back from the
// page's canvas is.
#pragma once
#include <cstdint>
#include <string>

// Loads the pictures of a program file into the drawing's picture set.
bool LoadReferencePictures(const char* programFile);

// Bits per pixel of the display mode the page showed (16 and 15 reduce the
// colours as the display service shows them; anything else keeps them).
void UseReferenceDepth(uint32_t depth);

// Names the frame `pixels` (320x240 values 0x00RRGGBB, rows top-down) is:
// "black", "loading", "opening L", "closing L" (L the fade level, the
// brightest one when several give the same picture),
// "scroller P E" (P the window's left column, E the brightness level with
// the flicker in it), or "unknown".
std::string ClassifyFrame(const uint32_t* pixels);
