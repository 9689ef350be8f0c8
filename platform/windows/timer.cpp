// The periodic tick on Windows: the multimedia timer. Its callback runs on
// the timer's own thread; each event's routine is reached through a thunk
// that carries the Win32 callback form.
#include "platform/plat_timer.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

// One periodic event.
struct TimerEvent {
  UINT id;                      // what timeSetEvent returned; 0 while free
  PlatTimerCallback callback;   // the system's routine
};

// Main thread writes a record before its event starts and after it is
// killed; the timer thread only reads the callback of a running event.
constexpr int EventRoom = 4;
TimerEvent Events[EventRoom];

// The user value is the record's index, so the thunk needs no search.
void CALLBACK TimerThunk(UINT id, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2) {
  if (user >= EventRoom) {
    return;
  }
  PlatTimerCallback callback = Events[user].callback;
  if (callback != nullptr) {
    callback(id, message, 0, reserved1, reserved2);
  }
}

}  // namespace

bool PlatTimerCaps(uint32_t* periodMin, uint32_t* periodMax) {
  TIMECAPS caps;
  if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) {
    return false;
  }
  *periodMin = caps.wPeriodMin;
  *periodMax = caps.wPeriodMax;
  return true;
}

bool PlatTimerBeginPeriod(uint32_t resolution) { return timeBeginPeriod(resolution) == TIMERR_NOERROR; }

void PlatTimerEndPeriod(uint32_t resolution) { timeEndPeriod(resolution); }

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (callback == nullptr) {
    return 0;
  }
  for (int i = 0; i < EventRoom; i++) {
    if (Events[i].id != 0 || Events[i].callback != nullptr) {
      continue;
    }
    Events[i].callback = callback;
    // Resolution 0: the greatest accuracy. TIME_KILL_SYNCHRONOUS makes
    // timeKillEvent wait for a callback that is running, so a killed
    // event's routine has finished when the kill returns.
    UINT id = timeSetEvent(interval, 0, TimerThunk, static_cast<DWORD_PTR>(i),
                           TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (id == 0) {
      Events[i].callback = nullptr;
      return 0;
    }
    Events[i].id = id;
    return id;
  }
  return 0;
}

bool PlatTimerKillEvent(uint32_t eventId) {
  for (TimerEvent& e : Events) {
    if (eventId == 0 || e.id != eventId) {
      continue;
    }
    if (timeKillEvent(e.id) != TIMERR_NOERROR) {
      return false;
    }
    e = TimerEvent{0, nullptr};
    return true;
  }
  return false;
}
