// The fake platform that unit tests link in place of the Linux layer: it
// records the calls the system makes and returns what the test scripted.
// Recording allocates nothing, so it may run inside allocation-counting tests.
#pragma once
#include <cstddef>
#include <cstdint>

// One recorded platform call: its name and up to four integer arguments,
// which the call's record in fake_calls.h names.
constexpr size_t FakeArgRoom = 4;
struct FakeCall {
  const char* op;
  int64_t arg[FakeArgRoom];
};

constexpr size_t FakeCallRoom = 1 << 16;

// Resets every fake role to its defaults and empties the call log.
void FakeReset();

// Each fake role registers its own reset with a static instance of this.
struct FakeResetRegistration {
  explicit FakeResetRegistration(void (*reset)());
};

// Records a call without arguments; one with arguments goes through its
// record (FakeLog, fake_calls.h).
void FakeRecord(const char* op);
void FakeRecordArgs(const char* op, const int64_t (&arg)[FakeArgRoom]);
size_t FakeCallCount();
const FakeCall& FakeCallAt(size_t i);
// Number of recorded calls named `op`.
size_t FakeCount(const char* op);
// Index of the first call named `op` at or after `from`, or FakeCallCount().
size_t FakeFind(const char* op, size_t from = 0);

// --- process services ----------------------------------------------------
void FakeSetCommandLine(const char* text);
// Milliseconds slept through PlatSleep since the reset.
uint64_t FakeSleptMilliseconds();
// Called with the milliseconds of every PlatSleep (simulated-time tests).
void FakeSetSleepHook(void (*hook)(uint32_t milliseconds));
void FakeSetClockNanoseconds(uint64_t now);

// PlatExitProcess throws this, so a test can watch the process end.
struct FakeExit {
  uint32_t code;
};

// --- files ---------------------------------------------------------------
// Makes a file of that name readable with these bytes (copied).
void FakeFileAdd(const char* name, const void* data, size_t size);
// Every read after this many bytes in total transfers nothing (short reads).
void FakeFileLimitReads(uint64_t bytes);
// Open handles not yet closed.
int FakeFileOpenCount();

// --- libraries -----------------------------------------------------------
struct FakeSymbol {
  const char* name;  // exported name as the platform spells it ("FSOUND_Init")
  void* address;
};
// Makes a library of that name loadable, exporting `count` symbols (kept by
// pointer: the table must outlive the test).
void FakeModuleAdd(const char* name, const FakeSymbol* symbols, size_t count);
// Libraries loaded and not yet freed.
int FakeModuleLoadedCount();
