# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, g++-mingw-w64-x86-64-posix). scripts/windows-check.sh uses it:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The programs link libgcc, libstdc++ and winpthread statically, so each
# .exe runs on its own, without a DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HAKOMARU_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HAKOMARU_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HAKOMARU_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HAKOMARU_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HAKOMARU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Programs built here (the tests' discovery, ctest) run under wine.
find_program(HAKOMARU_WINE NAMES wine wine64)
if(HAKOMARU_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${HAKOMARU_WINE})
endif()
