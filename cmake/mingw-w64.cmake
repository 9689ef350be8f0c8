# Cross-building the Windows program with Debian's mingw-w64, for the
# architecture the including toolchain file names (CMAKE_SYSTEM_PROCESSOR,
# QZ_MINGW_TRIPLE). The -posix compilers: the sound library and the tests
# use std::thread and std::mutex, which the default (win32 thread model)
# compilers lack.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QZ_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QZ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own libraries (libgcc, libstdc++, winpthread) go into each
# image, so the program and fmod.dll need only DLLs that Windows carries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
