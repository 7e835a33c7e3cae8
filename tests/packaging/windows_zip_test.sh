#!/bin/sh
# Builds the Windows zip and checks that it holds the program and that the program imports no
# DLL beyond Windows' own.
#   windows_zip_test.sh <build folder>
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G ZIP -B "$work" >/dev/null) || fail "cpack could not build the zip"
zip=$(ls "$work"/pellatone-*-windows-x86_64.zip)
unzip -q "$zip" -d "$work/unpacked"
exe=$(find "$work/unpacked" -name pellatone.exe)
[ -n "$exe" ] || fail "the zip holds no pellatone.exe"

windows_own='^(kernel32|user32|gdi32|advapi32|gdiplus|ole32|oleaut32|shell32|shlwapi|comctl32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || fail "no imports read from $exe"
for dll in $imports; do
    printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$windows_own" \
        || fail "pellatone.exe imports $dll, which Windows does not ship"
done
echo "windows zip: pellatone.exe imports only $(echo $imports | tr '\n' ' ')"
