# Cross-compile the Windows program with Debian's mingw-w64 (i686, posix threads): one 32-bit
# program that runs on 32- and 64-bit Windows alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELLATONE_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Tests built for Windows run under Wine; Debian's `wine` starts 32-bit programs.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
