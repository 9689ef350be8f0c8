# The ThreadSanitizer build that the sanitizer stages share: one directory,
# build-tsan, configured with one set of flags, so each stage builds only
# the targets it runs and reuses what an earlier stage built. Sourced.

tsan_dir=build-tsan

# Configures build-tsan (once per flag change) and builds the targets given.
tsan_build() {
  cmake -S . -B "$tsan_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS=-fsanitize=thread -DCMAKE_CXX_FLAGS=-fsanitize=thread \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread \
    -DQZ_BENCH=OFF -DQZ_CONTENT=OFF >/dev/null
  cmake --build "$tsan_dir" -j"$(nproc)" --target "$@"
}

# A report stops the program with its own status, which no test uses.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66"
