/* GetTickCount64 for 32-bit images that must load on Windows XP, which
   lacks it. The static thread runtime calls it through its import slot;
   this object, linked whole into the image ahead of the runtime, defines
   that slot, so the import table never names the function. Where the
   system has it, the slot leads to the system's; elsewhere the 32-bit
   count is extended by counting its wraps (the runtime asks at least
   every few seconds while it waits, far within the 49.7 days of a wrap). */
#include <stdint.h>
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64Fn)(void);

/* The system's GetTickCount64, looked up at the first call; the last
   extended count given. */
static TickCount64Fn SystemTickCount64;
static LONG Looked;
static uint64_t LastTicks;

/* The 32-bit count with the wraps seen so far above it. A racing caller
   that stored a later value first makes the exchange fail and the count
   be read again, so a smaller low word means a wrap. */
static ULONGLONG ExtendedTickCount(void) {
  uint64_t seen = __atomic_load_n(&LastTicks, __ATOMIC_ACQUIRE);
  for (;;) {
    uint64_t value = (seen & ~(uint64_t)0xFFFFFFFFu) | GetTickCount();
    if (value < seen) {
      value += (uint64_t)1 << 32;
    }
    if (__atomic_compare_exchange_n(&LastTicks, &seen, value, 0, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
      return value;
    }
  }
}

static ULONGLONG WINAPI TickCount64(void) {
  if (__atomic_load_n(&Looked, __ATOMIC_ACQUIRE) == 0) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel != NULL ? GetProcAddress(kernel, "GetTickCount64") : NULL;
    __atomic_store_n(&SystemTickCount64, (TickCount64Fn)(void*)found, __ATOMIC_RELAXED);
    __atomic_store_n(&Looked, 1, __ATOMIC_RELEASE);
  }
  TickCount64Fn system = __atomic_load_n(&SystemTickCount64, __ATOMIC_RELAXED);
  return system != NULL ? system() : ExtendedTickCount();
}

/* The import slot under the name the runtime's call refers to. */
TickCount64Fn ImportedTickCount64 __asm__("__imp__GetTickCount64@0") = TickCount64;
