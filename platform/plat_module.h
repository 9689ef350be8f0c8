// Libraries loaded at run time by name: the full-screen display service
// ("ddraw.dll") and the sound library ("fmod.dll").
#pragma once
#include <cstdint>

using PlatModule = void*;

// The names the system loads them by, and the display service's one entry
// point, as the system and every backend spell them.
constexpr char PlatDisplayLibraryName[] = "ddraw.dll";
constexpr char PlatDisplayCreateName[] = "DirectDrawCreate";
constexpr char PlatSoundLibraryName[] = "fmod.dll";

// Called by OpenVideo (full screen) and SoundOpen.
// Loads a library by its bare name: from the program's own directory first,
// so the sound library shipped beside the program file wins over any other
// copy, then by the system's usual search. Names of services the platform
// layer carries built in are served by it before any search.
// Returns null when the library cannot be loaded.
PlatModule PlatModuleLoad(const char* name);

// Called by OpenVideo and SoundOpen for each entry point they bind.
// Looks an exported routine up by name. A name written the way a 32-bit
// Windows compiler decorates a stdcall routine ("_Name@12") is turned into
// this platform's spelling ("Name") first. Returns null when it is missing.
void* PlatModuleSymbol(PlatModule module, const char* name);

// Called by SoundClose.
void PlatModuleFree(PlatModule module);
