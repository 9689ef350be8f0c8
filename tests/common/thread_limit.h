// A process that the system refuses every new thread, as under a limit on
// threads: the test drops to an unprivileged user (such a limit does not
// bind root) and sets that user's limit to none. Run inside a death test's
// child, so the limit ends with it.
#pragma once
#include <sys/resource.h>
#include <unistd.h>

inline void RefuseNewThreads() {
  constexpr uid_t Nobody = 65534;
  if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0)) {
    _exit(125);
  }
  rlimit none{0, 0};
  if (setrlimit(RLIMIT_NPROC, &none) != 0) {
    _exit(125);
  }
}
