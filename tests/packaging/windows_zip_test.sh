#!/bin/sh
# Builds the Windows zip and checks its layout (pellatone.exe alone at the top, so that unpacking
# it into the folder that holds Vexmora\ puts the program beside it), that the program is a
# 32-bit (i386) one, and that it imports no DLL beyond Windows' own.
#   windows_zip_test.sh <build folder> <version>
set -eu
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G ZIP -B "$work" >/dev/null) || fail "cpack could not build the zip"
zip="$work/pellatone-$version-windows-x86.zip"
[ -f "$zip" ] || fail "no $(basename "$zip"); cpack made: $(ls "$work")"
entries=$(unzip -Z1 "$zip")
[ "$entries" = pellatone.exe ] || fail "the zip holds $(echo $entries), not just pellatone.exe"
unzip -q "$zip" -d "$work/unpacked"
exe="$work/unpacked/pellatone.exe"

file -b "$exe" | grep -q '^PE32 executable (GUI) Intel 80386' \
    || fail "pellatone.exe is not a 32-bit Windows program: $(file -b "$exe")"

windows_own='^(kernel32|user32|gdi32|advapi32|gdiplus|ole32|oleaut32|shell32|shlwapi|comctl32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || fail "no imports read from $exe"
for dll in $imports; do
    printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$windows_own" \
        || fail "pellatone.exe imports $dll, which Windows does not ship"
done
echo "windows zip: pellatone.exe, PE32 (i386), imports only $(echo $imports | tr '\n' ' ')"
