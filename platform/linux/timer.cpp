// The periodic tick on Linux: one thread per event, sleeping to absolute
// deadlines on the monotonic clock, so the long-run rate is exactly one
// callback per interval whatever the wake-up latency. The resolution calls
// are shared (common/timer_period.cpp).
#include "platform/plat_timer.h"

#include "platform/common/clock.h"
#include "platform/common/thread.h"
#include "platform/linux/timer.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace {

// Sleeps are cut into pieces no longer than this, so a kill is noticed
// promptly even for long intervals.
constexpr uint64_t SleepSliceNs = 50000000;

constexpr uint64_t NsPerMs = 1000000;

// One periodic event. Its thread runs while the record holds the thread's
// own identifier: a kill from the callback detaches the thread, and the
// record may be set again before that thread has looked, so a flag that the
// next set clears would let the old thread run on.
struct TimerEvent {
  std::atomic<uint32_t> id;     // 0 while the record is free
  std::thread thread;           // runs the callback
};

constexpr int EventRoom = 4;
TimerEvent Events[EventRoom];
uint32_t NextEventId = 1;
std::mutex EventsLock;          // guards the records against concurrent set/kill

bool StillRunning(const TimerEvent* event, uint32_t id) {
  return event->id.load(std::memory_order_acquire) == id;
}

void RunEvent(TimerEvent* event, uint32_t id, uint64_t intervalNs, PlatTimerCallback callback) {
  uint64_t deadline = CommonMonotonicNanoseconds() + intervalNs;
  while (StillRunning(event, id)) {
    uint64_t now = CommonMonotonicNanoseconds();
    if (now < deadline) {
      uint64_t wake = deadline - now > SleepSliceNs ? now + SleepSliceNs : deadline;
      CommonSleepUntil(wake);
      continue;
    }
    LinuxCatchUp due = LinuxTimerCatchUp(deadline, now, intervalNs);
    for (uint64_t ran = 0; ran < due.ticks && StillRunning(event, id); ran++) {
      callback(id, 0, 0, 0, 0);
    }
    deadline = due.deadline;
  }
}

}  // namespace

LinuxCatchUp LinuxTimerCatchUp(uint64_t deadline, uint64_t now, uint64_t interval) {
  if (now < deadline || interval == 0) {
    return LinuxCatchUp{0, deadline};
  }
  // Every deadline up to `now` is due; the next one is the first after it,
  // whether or not the missed ones all run.
  uint64_t missed = (now - deadline) / interval + 1;
  uint64_t ticks = missed < LinuxTimerCatchUpBound ? missed : LinuxTimerCatchUpBound;
  return LinuxCatchUp{ticks, deadline + missed * interval};
}

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (interval == 0 || callback == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(EventsLock);
  for (TimerEvent& e : Events) {
    if (e.id.load(std::memory_order_relaxed) != 0) {
      continue;
    }
    uint32_t id = NextEventId++;
    if (NextEventId == 0) {
      NextEventId = 1;
    }
    e.id.store(id, std::memory_order_release);
    if (!CommonThreadStart(e.thread, RunEvent, &e, id, static_cast<uint64_t>(interval) * NsPerMs, callback)) {
      e.id.store(0, std::memory_order_release);
      return 0;
    }
    return id;
  }
  return 0;
}

bool PlatTimerKillEvent(uint32_t eventId) {
  std::lock_guard<std::mutex> hold(EventsLock);
  for (TimerEvent& e : Events) {
    if (eventId == 0 || e.id.load(std::memory_order_relaxed) != eventId) {
      continue;
    }
    e.id.store(0, std::memory_order_release);
    if (e.thread.joinable() && e.thread.get_id() != std::this_thread::get_id()) {
      e.thread.join();
    } else if (e.thread.joinable()) {
      e.thread.detach();
    }
    return true;
  }
  return false;
}
