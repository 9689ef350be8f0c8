/* The exit codes: the value SystemError holds when the process ends, and
   what each one tells whoever started the program. One row per code; the
   system takes its constants from here, the tools print the meanings from
   here, and the README and scripts/play are checked against the rows. */
#ifndef QZ_BASE_EXIT_CODES_H
#define QZ_BASE_EXIT_CODES_H

/* X(name, value, meaning) */
#define QZ_EXIT_CODES(X)                                                                       \
  X(ErrorNone, 0, "nothing failed")                                                            \
  X(ErrorDisplayService, 1, "the full-screen display service is unavailable")                  \
  X(ErrorDisplayMode, 2, "the display mode cannot be set")                                     \
  X(ErrorTickTimer, 3, "the tick timer did not start")                                         \
  X(ErrorFrameBuffer, 4, "no memory for the frame buffer")                                     \
  X(ErrorNoDisplay, 5, "no display for the window")                                            \
  X(ErrorSound, 6, "the sound library is missing or refused to start, or it refused the music") \
  X(ErrorArchive, 7,                                                                           \
    "the program file is not in the current directory under its own name, or it holds no "    \
    "usable archive")                                                                          \
  X(ErrorSoundFile, 8, "the music file was refused")

#endif
