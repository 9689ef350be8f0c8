// A thread the system refuses gives each seam its failure value, and the
// program under that refusal ends with its own code, never an abort.
#include "base/syserror.h"
#include "platform/common/thread.h"
#include "platform/plat_timer.h"
#include "tests/common/thread_limit.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void Idle() {}
void IdleTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}

// Each returns true when it got its failure value, and ends what it started.
bool ThreadStartFails() {
  std::thread t;
  bool started = CommonThreadStart(t, Idle);
  if (t.joinable()) {
    t.join();
  }
  return !started;
}
bool TimerEventGivesZero() {
  uint32_t id = PlatTimerSetEvent(1, IdleTick);
  if (id != 0) {
    PlatTimerKillEvent(id);
  }
  return id == 0;
}

TEST(ThreadRefusedDeathTest, EachStartGivesItsFailureValue) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* name;
    bool (*fails)();
  };
  const Case cases[] = {{"thread start", ThreadStartFails}, {"timer event", TimerEventGivesZero}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Unlimited, each starts; the limit makes it fail without an abort.
    EXPECT_FALSE(c.fails());
    EXPECT_EXIT(
        {
          RefuseNewThreads();
          std::_Exit(c.fails() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
  }
}

// The program file on SDL's dummy drivers: without a thread its tick timer
// does not start, which ends start-up with the timer's code.
TEST(ThreadRefusedDeathTest, TheProgramEndsWithTheTimersCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (chdir(QZ_DIST_DIR) != 0) {
          std::_Exit(125);
        }
        RefuseNewThreads();
        execl(QZ_PROGRAM, QZ_PROGRAM, "/w", static_cast<char*>(nullptr));
        std::_Exit(126);
      },
      testing::ExitedWithCode(ErrorTickTimer), "");
}

}  // namespace
