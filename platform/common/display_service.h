// What the built-in full-screen display services (Linux, web) share: the
// modes they offer, the primary surface they lock and how they are created
// and found by name.
#pragma once
#include "platform/plat_display.h"

#include <cstdint>

constexpr uint32_t CommonModeWidth = 320;
constexpr uint32_t CommonModeHeight = 240;
constexpr uint32_t CommonModeDepths[] = {15, 16, 24, 32};

bool CommonModeOffered(uint32_t width, uint32_t height, uint32_t depth);

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
