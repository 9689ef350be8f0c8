// What the built-in full-screen display services (Linux, web) share: the
// modes they offer, the primary surface they lock and how they are created
// and found by name.
#pragma once
#include "base/frame.h"
#include "platform/plat_display.h"

#include <cstdint>

constexpr uint32_t CommonModeDepths[] = {15, 16, 24, 32};

bool CommonModeOffered(uint32_t width, uint32_t height, uint32_t depth);

// Whether a mode described with the fields `pattern` marks valid (only the
// size is looked at) may be width x height; every mode matches no pattern.
bool CommonModeMatches(const PlatSurfaceDesc* pattern, uint32_t width, uint32_t height);

// A display whose own list holds the `count` depths `real` of the 320x240
// mode: the depths of CommonModeDepths it lacks, which a backend then serves
// itself (scaled up on the desktop's own mode), written to `standIn`
// (room for all of CommonModeDepths). Returns how many.
uint32_t CommonStandInDepths(const uint32_t* real, uint32_t count, uint32_t* standIn);

// Whether those depths hold any above a palette mode's 8 bits: a display
// worth asking to switch at all. Where it holds none, every mode is stood in
// for and the display's own mode never changes.
bool CommonRealModesUsable(const uint32_t* real, uint32_t count);

// Describes the locked primary surface: a mode-sized picture of 32-bit
// 0x00RRGGBB values at every depth, at `memory`.
void CommonDescribePrimarySurface(PlatSurfaceDesc* description, uint32_t* memory);

// A surface creation: only `primary` is served, and only while a mode is
// on the screen.
int32_t CommonCreatePrimarySurface(const PlatSurfaceDesc* description, PlatDisplaySurface** surface,
                                   bool modeOnScreen, PlatDisplaySurface* primary);

// Whether "DirectDrawCreate" asks for the primary display, with room for it.
bool CommonAsksForPrimaryDisplay(const void* device, PlatDisplay** display, void* outer);

// "DirectDrawCreate" where the primary display is `primary`.
int32_t CommonCreateDisplay(const void* device, PlatDisplay** display, void* outer, PlatDisplay* primary);

// The service's one export: `create` as "DirectDrawCreate", else null.
void* CommonDisplaySymbol(const char* plainName, void* create);
