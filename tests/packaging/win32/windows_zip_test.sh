#!/bin/sh
# Builds the Windows zip and checks its layout (pellatone.exe alone at the top, so that unpacking
# it into the folder that holds Vexmora\ puts the program beside it), that the program is built
# for the architecture the zip is named for (x86: i386, x64: x86-64) and its manifest says the
# same (Windows refuses to start a program whose manifest names another), and that it imports no
# DLL beyond Windows' own.
#   windows_zip_test.sh <build folder> <version> <x86|x64>
set -eu
. "$(dirname "$0")/../../support/test_helpers.sh"
build=$1
version=$2
architecture=$3
use_work_folder

# What the PE header must hold: its Machine field, its optional header's magic (PE32 or PE32+)
# and subsystem 2, the GUI's. Read from the header itself: `file` words them differently from
# one release to the next.
case $architecture in
x86) machine=014c magic=010b format=PE32 manifest=x86 objdump=i686-w64-mingw32-objdump ;;
x64) machine=8664 magic=020b format=PE32+ manifest=amd64 objdump=x86_64-w64-mingw32-objdump ;;
*) fail "unknown architecture $architecture" ;;
esac
# pe_field FILE OFFSET SIZE: the little-endian number stored there, in hex.
pe_field() { od --endian=little -An -tx"$3" -j "$2" -N "$3" "$1" | tr -d ' '; }

(cd "$build" && cpack -G ZIP -B "$work" >/dev/null) || fail "cpack could not build the zip"
zip="$work/pellatone-$version-windows-$architecture.zip"
[ -f "$zip" ] || fail "no $(basename "$zip"); cpack made: $(ls "$work")"
entries=$(unzip -Z1 "$zip")
[ "$entries" = pellatone.exe ] || fail "the zip holds $(echo $entries), not just pellatone.exe"
unzip -q "$zip" -d "$work/unpacked"
exe="$work/unpacked/pellatone.exe"

header=$((0x$(pe_field "$exe" 60 4)))
found="$(pe_field "$exe" $((header + 4)) 2) $(pe_field "$exe" $((header + 24)) 2)"
found="$found $(pe_field "$exe" $((header + 92)) 2)"
[ "$found" = "$machine $magic 0002" ] || fail "pellatone.exe is not a $architecture Windows GUI \
program ($format, Machine $machine): its Machine, magic and subsystem are $found"
# The manifest is kept as plain text among the resources; the program's own identity is what
# must name the architecture (its dependencies may say "*").
architectures=$(tr '\n' ' ' <"$exe" | grep -ao 'name="Pellatone.Startup"[^>]*' |
    grep -o 'processorArchitecture="[^"]*"' | sort -u)
[ "$architectures" = "processorArchitecture=\"$manifest\"" ] \
    || fail "the manifest names [$(echo $architectures)], not processorArchitecture=\"$manifest\""

windows_own='^(kernel32|user32|gdi32|advapi32|gdiplus|ole32|oleaut32|shell32|shlwapi|comctl32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || fail "no imports read from $exe"
for dll in $imports; do
    printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$windows_own" \
        || fail "pellatone.exe imports $dll, which Windows does not ship"
done
echo "windows zip: pellatone.exe, $format GUI program, Machine $machine, manifest $manifest, imports only $(echo $imports | tr '\n' ' ')"
