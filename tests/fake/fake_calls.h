// What the arguments of each recorded call are: one record per call that
// carries arguments, named as the call is. The fakes record through these
// and the tests read them back (FakeFirst, FakeArgsAt), so a test says
// `create.height` and the meaning is written once, here. Handles and
// addresses are kept as integers; calls without arguments are recorded by
// name alone (FakeRecord).
#pragma once
#include "tests/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

// --- process, files and libraries ------------------------------------------
struct FakeSleepCall { static constexpr char Op[] = "Sleep"; int64_t milliseconds; };
struct FakeExitProcessCall { static constexpr char Op[] = "ExitProcess"; int64_t code; };
struct FakeFileSeekCall { static constexpr char Op[] = "FileSeek"; int64_t distance; };
struct FakeFileReadCall { static constexpr char Op[] = "FileRead"; int64_t count; };
// The address of the name asked for (the caller's text).
struct FakeModuleLoadCall { static constexpr char Op[] = "ModuleLoad"; int64_t name; };
struct FakeModuleSymbolCall { static constexpr char Op[] = "ModuleSymbol"; int64_t name; };

// --- the periodic timer ----------------------------------------------------
struct FakeTimerBeginPeriodCall { static constexpr char Op[] = "TimerBeginPeriod"; int64_t resolution; };
struct FakeTimerEndPeriodCall { static constexpr char Op[] = "TimerEndPeriod"; int64_t resolution; };
struct FakeTimerSetEventCall { static constexpr char Op[] = "TimerSetEvent"; int64_t interval, eventId; };
struct FakeTimerKillEventCall { static constexpr char Op[] = "TimerKillEvent"; int64_t eventId, killed; };

// --- windows and messages --------------------------------------------------
struct FakeRegisterClassCall { static constexpr char Op[] = "RegisterClass"; int64_t style, instance; };
struct FakeCreateWindowCall { static constexpr char Op[] = "CreateWindow"; int64_t style, width, height; };
// The rest of the same CreateWindow call.
struct FakeCreateWindowAtCall { static constexpr char Op[] = "CreateWindowAt"; int64_t x, y, extendedStyle; };
struct FakeGetDCCall { static constexpr char Op[] = "GetDC"; int64_t window; };
struct FakeReleaseDCCall { static constexpr char Op[] = "ReleaseDC"; int64_t window, dc; };
struct FakeShowWindowCall { static constexpr char Op[] = "ShowWindow"; int64_t window, command; };
struct FakeShowCursorCall { static constexpr char Op[] = "ShowCursor"; int64_t show, count; };
struct FakeDestroyWindowCall { static constexpr char Op[] = "DestroyWindow"; int64_t window; };
struct FakeTranslateMessageCall { static constexpr char Op[] = "TranslateMessage"; int64_t message; };
struct FakeDispatchMessageCall { static constexpr char Op[] = "DispatchMessage"; int64_t window, message, wParam; };
struct FakeDefWindowProcCall { static constexpr char Op[] = "DefWindowProc"; int64_t window, message, wParam; };

// --- bitmaps ---------------------------------------------------------------
struct FakeCreateCompatibleDCCall { static constexpr char Op[] = "CreateCompatibleDC"; int64_t reference; };
struct FakeCreateDIBSectionCall { static constexpr char Op[] = "CreateDIBSection"; int64_t width, height, bits; };
struct FakeSelectObjectCall { static constexpr char Op[] = "SelectObject"; int64_t dc, object; };
struct FakeBitBltCall { static constexpr char Op[] = "BitBlt"; int64_t width, height, rasterOperation; };
struct FakeStretchBltCall { static constexpr char Op[] = "StretchBlt"; int64_t width, height, rasterOperation; };

// --- the display service ---------------------------------------------------
// Whether a device and an outer object were given (1) or not (0).
struct FakeDirectDrawCreateCall { static constexpr char Op[] = "DirectDrawCreate"; int64_t device, outer; };
struct FakeSetCooperativeLevelCall { static constexpr char Op[] = "SetCooperativeLevel"; int64_t window, flags; };
struct FakeEnumDisplayModesCall { static constexpr char Op[] = "EnumDisplayModes"; int64_t flags, patternFlags; };
struct FakeSetDisplayModeCall { static constexpr char Op[] = "SetDisplayMode"; int64_t width, height, bits; };
struct FakeCreateSurfaceCall { static constexpr char Op[] = "CreateSurface"; int64_t flags, caps; };
struct FakeWaitForVerticalBlankCall { static constexpr char Op[] = "WaitForVerticalBlank"; int64_t flags; };
// Whether a rectangle was given (1) or the whole surface (0).
struct FakeLockCall { static constexpr char Op[] = "Lock"; int64_t rectangle, flags; };
struct FakeUnlockCall { static constexpr char Op[] = "Unlock"; int64_t rectangle; };

// --- the sound library -------------------------------------------------------
struct FakeSoundInitCall { static constexpr char Op[] = "FSOUND_Init"; int64_t rate, channels, flags; };
struct FakeSoundSetHwndCall { static constexpr char Op[] = "FSOUND_SetHWND"; int64_t window; };
struct FakeSoundSetPriorityCall { static constexpr char Op[] = "FSOUND_SetPriority"; int64_t channel, priority; };
struct FakeSoundLoadMpegCall { static constexpr char Op[] = "FSOUND_Sample_LoadMpeg"; int64_t index, name, mode; };
struct FakeSoundLoadMpegMemoryCall {
  static constexpr char Op[] = "FSOUND_Sample_LoadMpegMemory";
  int64_t index, data, mode, length;
};
struct FakeSoundPlayCall { static constexpr char Op[] = "FSOUND_PlaySound"; int64_t channel, sample; };
struct FakeSoundPositionCall { static constexpr char Op[] = "FSOUND_GetCurrentPosition"; int64_t channel; };
struct FakeSoundStopCall { static constexpr char Op[] = "FSOUND_StopSound"; int64_t channel; };
struct FakeSongLoadCall { static constexpr char Op[] = "FMUSIC_LoadSong"; int64_t name; };
struct FakeSongLoadMemoryCall { static constexpr char Op[] = "FMUSIC_LoadSongMemory"; int64_t data, length; };
struct FakeSongPlayCall { static constexpr char Op[] = "FMUSIC_PlaySong"; int64_t song; };
struct FakeSongStopCall { static constexpr char Op[] = "FMUSIC_StopSong"; int64_t song; };
struct FakeSongOrderCall { static constexpr char Op[] = "FMUSIC_GetOrder"; int64_t song; };
struct FakeSongRowCall { static constexpr char Op[] = "FMUSIC_GetRow"; int64_t song; };

// Records `call` under its name.
template <typename Call>
void FakeLog(const Call& call) {
  static_assert(std::is_trivially_copyable_v<Call> && sizeof(Call) <= sizeof(FakeCall::arg));
  int64_t arg[FakeArgRoom] = {};
  std::memcpy(arg, &call, sizeof call);
  FakeRecordArgs(Call::Op, arg);
}

// The arguments of recorded call `i`, which must be a `Call`.
template <typename Call>
Call FakeArgsAt(size_t i) {
  Call call{};
  if (i >= FakeCallCount() || std::strcmp(FakeCallAt(i).op, Call::Op) != 0) {
    ADD_FAILURE() << "call " << i << " is no " << Call::Op;
    return call;
  }
  std::memcpy(&call, FakeCallAt(i).arg, sizeof call);
  return call;
}

// The arguments of the first `Call` recorded at or after `from`.
template <typename Call>
Call FakeFirst(size_t from = 0) {
  return FakeArgsAt<Call>(FakeFind(Call::Op, from));
}
