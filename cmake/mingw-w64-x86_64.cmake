# Cross-builds Quillow for 64-bit Windows with Debian's MinGW-w64 compiler
# (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUILLOW_TEST=OFF
# The tool is linked statically, C and C++ run-times included, so that
# quillow.exe needs nothing on a bare Windows machine beyond the system's own
# DLLs (the Winsock DLL among them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLOW_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix threading flavour, which is what the Debian package installs;
# the plain name is the fallback on machines that have only one flavour.
find_program(CMAKE_CXX_COMPILER NAMES ${QUILLOW_MINGW_TRIPLE}-g++-posix ${QUILLOW_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${QUILLOW_MINGW_TRIPLE}-gcc-posix ${QUILLOW_MINGW_TRIPLE}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${QUILLOW_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLOW_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets CMake run what it builds (test discovery included) on this machine.
find_program(QUILLOW_WINE NAMES wine wine64)
if(QUILLOW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLOW_WINE})
endif()
