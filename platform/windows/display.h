// The full-screen display service on Windows: DirectDraw's object behind the
// system's display record. Internal to the Windows layer.
#pragma once

// Called by PlatModuleSymbol when "DirectDrawCreate" is found: keeps the
// library's entry and returns the routine the system calls in its place (a
// PlatDisplayCreate), which makes the real object and hands out a record
// whose operations call the object's methods.
void* WindowsDisplayAdapter(void* directDrawCreate);
