# Cross-builds for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix: GCC with
# POSIX threads, whose runtime DLLs are libstdc++-6, libgcc_s_seh-1 and libwinpthread-1).
# Hand the unpacked Qt for Windows to CMake with -DCMAKE_PREFIX_PATH=<qt5-mingw64>.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

# Libraries and headers come from the compiler's own root and from Qt for Windows; programs
# (moc, rcc, convert) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Where the test programs run on this machine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TICKVALE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(TICKVALE_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TICKVALE_WINE64})
  endif()
endif()
