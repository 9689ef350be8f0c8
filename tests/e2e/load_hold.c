/* Preloaded into the program by the end-to-end stage. When QZ_HOLD_DIR
   names a folder, the moment the program asks the dynamic linker for the
   sound library is held: a file "loading" is made in that folder, and the
   load waits (at most 30 seconds) for a file "go" there before it goes on.
   Everything on the screen stays as start-up left it meanwhile. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static const char SoundLibrary[] = "fmod.dll";

static int IsSoundLibrary(const char* name) {
  if (name == NULL) {
    return 0;
  }
  const char* base = strrchr(name, '/');
  return strcmp(base != NULL ? base + 1 : name, SoundLibrary) == 0;
}

static void Hold(const char* dir) {
  char path[256];
  snprintf(path, sizeof path, "%s/loading", dir);
  FILE* f = fopen(path, "w");
  if (f != NULL) {
    fclose(f);
  }
  snprintf(path, sizeof path, "%s/go", dir);
  for (int i = 0; i < 3000 && access(path, F_OK) != 0; i++) {
    struct timespec pause = {0, 10000000};
    nanosleep(&pause, NULL);
  }
}

void* dlopen(const char* name, int flags) {
  void* (*real)(const char*, int) = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
  const char* dir = getenv("QZ_HOLD_DIR");
  if (dir != NULL && strlen(dir) < 200 && IsSoundLibrary(name)) {
    Hold(dir);
  }
  return real(name, flags);
}
