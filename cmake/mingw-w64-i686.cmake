# The Windows program for 32-bit x86 (every Windows from XP, and 64-bit
# Windows through its 32-bit layer).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QZ_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
