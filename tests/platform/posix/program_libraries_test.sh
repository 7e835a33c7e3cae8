#!/bin/sh
# The program maps no library of the windows when it starts: X, FLTK, giflib and what they
# pull in are needed by the windows module only. With "static-cxx-runtime" program and module
# carry their own C++ runtime, the module FLTK too, and the program needs nothing beyond the C
# library.
#   program_libraries_test.sh PELLATONE GUI-MODULE [static-cxx-runtime]
set -eu
. "$(dirname "$0")/../../support/test_helpers.sh"
program=$1
module=$2
runtime=${3:-}
gui_libraries='lib(fltk|X11|xcb|Xft|Xrender|fontconfig|freetype|gif)[^ ]*\.so'

program_libraries=$(ldd "$program") || fail "ldd could not read $program"
module_libraries=$(ldd "$module") || fail "ldd could not read $module"
# The premise: the pattern does name what the module needs.
for library in libX11 libXft libgif; do
    printf '%s\n' "$module_libraries" | grep -q "$library" || fail "the module needs no $library"
done
found=$(printf '%s\n' "$program_libraries" | grep -Eo "$gui_libraries" || true)
[ -z "$found" ] || fail "the program needs $(echo "$found" | tr '\n' ' ')"
if [ "$runtime" = static-cxx-runtime ]; then
    carried=$(printf '%s\n' "$module_libraries" | grep -Eo 'lib(fltk|stdc\+\+)[^ ]*\.so' || true)
    [ -z "$carried" ] || fail "the module loads $(echo "$carried" | tr '\n' ' ')"
    names=$(printf '%s\n' "$program_libraries" | awk '{print $1}' | sed 's|.*/||')
    for name in $names; do
        case $name in
            linux-vdso.so.* | libc.so.* | ld-linux*.so.*) ;;
            *) fail "the program needs $name beyond the C library" ;;
        esac
    done
fi
echo "ok: the program needs $(printf '%s\n' "$program_libraries" | wc -l) libraries, none of the windows"
