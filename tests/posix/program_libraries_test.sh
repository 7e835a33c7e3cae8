#!/bin/sh
# The program maps no library of the windows when it starts: X, FLTK, giflib and what they
# pull in are needed by the windows module only.
#   program_libraries_test.sh PELLATONE GUI-MODULE
set -eu
program=$1
module=$2
gui_libraries='lib(fltk|X11|xcb|Xft|Xrender|fontconfig|freetype|gif)[^ ]*\.so'

fail() { echo "FAIL: $*"; exit 1; }

program_libraries=$(ldd "$program") || fail "ldd could not read $program"
module_libraries=$(ldd "$module") || fail "ldd could not read $module"
# The premise: the pattern does name what the module needs.
for library in libfltk libX11 libgif; do
    printf '%s\n' "$module_libraries" | grep -q "$library" || fail "the module needs no $library"
done
found=$(printf '%s\n' "$program_libraries" | grep -Eo "$gui_libraries" || true)
[ -z "$found" ] || fail "the program needs $(echo "$found" | tr '\n' ' ')"
echo "ok: the program needs $(printf '%s\n' "$program_libraries" | wc -l) libraries, none of the windows"
