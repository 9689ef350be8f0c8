// Starting a thread where the system may refuse one (a limit on threads or
// processes, or no memory for a stack): the refusal comes back as false
// instead of an exception that would end the process, so each caller takes
// the failure path its interface promises. Header only, so the sound
// library, which links nothing of the platform, starts its threads the same
// way.
#pragma once
#include <exception>
#include <thread>

// Starts `routine(arguments...)` on `thread`, which must not be running.
template <typename Routine, typename... Arguments>
bool CommonThreadStart(std::thread& thread, Routine routine, Arguments... arguments) {
  try {
    thread = std::thread(routine, arguments...);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
