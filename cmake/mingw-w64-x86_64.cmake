# The same program built 64-bit (x86_64, posix threads): its tests run under wine64 where this
# machine cannot run 32-bit programs, so the 32-bit build's runs are made by this one.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELLATONE_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Debian's `wine` tries its 32-bit loader first; the 64-bit one is asked for by name.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
