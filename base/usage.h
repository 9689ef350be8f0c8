/* The program's options and the keys and actions it answers, as people read
   them. The README's tables, the launcher's --help and the manual page are
   made from or checked against these rows, so each text is written here
   once. In a text, *word* marks a key or button, set in bold. */
#ifndef QZ_BASE_USAGE_H
#define QZ_BASE_USAGE_H

/* X(option, effect); the empty option is the start with none. */
#define QZ_OPTIONS(X)                                                    \
  X("", "exclusive full screen, the colour depth chosen automatically") \
  X("/w", "a window showing the 320x240 picture times the desktop's whole scale factor")  \
  X("/16", "full screen at 16 bits per pixel")                          \
  X("/15", "full screen at 15 bits per pixel")                          \
  X("/24", "full screen at 24 bits per pixel")

/* X(key or action, effect) */
#define QZ_KEYS(X)                                                                             \
  X("release *Escape* or the *right mouse button*, close the window", "ends the presentation") \
  X("resize or maximise the window",                                                           \
    "the picture grows by the largest whole factor that fits, centred on black")               \
  X("*Alt+Enter*",                                                                             \
    "the window covers the whole screen, and back; from full screen at a depth, a window "    \
    "that keeps that depth")

#endif
