// Waiting inside a scene routine: the platform's sleep.
#include "timing/pause.h"

#include "platform/plat_system.h"

void Pause(uint32_t milliseconds) { PlatSleep(milliseconds); }
