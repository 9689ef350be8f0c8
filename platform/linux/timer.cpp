// The periodic tick on Linux: one thread per event, sleeping to absolute
// deadlines on the monotonic clock, so the long-run rate is exactly one
// callback per interval whatever the wake-up latency. The resolution calls
// are shared (common/timer_period.cpp).
#include "platform/plat_timer.h"

#include "platform/common/clock.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

// A wake-up later than this many ticks runs only this many of the ticks it
// missed and drops the rest, so a stalled machine does not get a burst of
// thousands of fade steps afterwards.
constexpr uint64_t CatchUpBound = 100;

// Sleeps are cut into pieces no longer than this, so a kill is noticed
// promptly even for long intervals.
constexpr uint64_t SleepSliceNs = 50000000;

constexpr uint64_t NsPerMs = 1000000;

// One periodic event.
struct TimerEvent {
  uint32_t id;                  // 0 while the record is free
  std::thread thread;           // runs the callback
  std::atomic<bool> stopping;   // set by the kill, read by the thread
};

constexpr int EventRoom = 4;
TimerEvent Events[EventRoom];
uint32_t NextEventId = 1;
std::mutex EventsLock;          // guards the records against concurrent set/kill

void SleepUntil(uint64_t deadline) {
  timespec at{static_cast<time_t>(deadline / 1000000000ULL),
              static_cast<long>(deadline % 1000000000ULL)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

void RunEvent(TimerEvent* event, uint64_t intervalNs, PlatTimerCallback callback) {
  uint32_t id = event->id;
  uint64_t deadline = CommonMonotonicNanoseconds() + intervalNs;
  while (!event->stopping.load(std::memory_order_acquire)) {
    uint64_t now = CommonMonotonicNanoseconds();
    if (now < deadline) {
      uint64_t wake = deadline - now > SleepSliceNs ? now + SleepSliceNs : deadline;
      SleepUntil(wake);
      continue;
    }
    uint64_t ran = 0;
    while (deadline <= now && ran < CatchUpBound &&
           !event->stopping.load(std::memory_order_acquire)) {
      callback(id, 0, 0, 0, 0);
      deadline += intervalNs;
      ran++;
    }
    if (deadline <= now) {
      // Too far behind: skip whole intervals, staying on the same grid.
      deadline += ((now - deadline) / intervalNs + 1) * intervalNs;
    }
  }
}

}  // namespace

uint32_t PlatTimerSetEvent(uint32_t interval, PlatTimerCallback callback) {
  if (interval == 0 || callback == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(EventsLock);
  for (TimerEvent& e : Events) {
    if (e.id != 0) {
      continue;
    }
    e.id = NextEventId++;
    e.stopping.store(false, std::memory_order_relaxed);
    e.thread = std::thread(RunEvent, &e, static_cast<uint64_t>(interval) * NsPerMs, callback);
    return e.id;
  }
  return 0;
}

bool PlatTimerKillEvent(uint32_t eventId) {
  std::lock_guard<std::mutex> hold(EventsLock);
  for (TimerEvent& e : Events) {
    if (eventId == 0 || e.id != eventId) {
      continue;
    }
    e.stopping.store(true, std::memory_order_release);
    if (e.thread.joinable() && e.thread.get_id() != std::this_thread::get_id()) {
      e.thread.join();
    } else if (e.thread.joinable()) {
      e.thread.detach();
    }
    e.id = 0;
    return true;
  }
  return false;
}
