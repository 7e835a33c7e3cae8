#!/bin/sh
# Writes the keys that the Windows registry tests read into the Wine prefix named by WINEPREFIX,
# in the registry's view that the build's program reads (PELLATONE_REGISTRY_VIEW: 32 or 64), and
# one key in the other view only. Safe to run again: the keys are rewritten from scratch.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the private Wine prefix}"
export WINEPREFIX
case ${PELLATONE_REGISTRY_VIEW:-} in
32) view=/reg:32 other_view=/reg:64 ;;
64) view=/reg:64 other_view=/reg:32 ;;
*) echo "PELLATONE_REGISTRY_VIEW must be 32 or 64" >&2; exit 1 ;;
esac

# Creates the prefix on first use and waits until it is complete.
wineboot -i >/dev/null 2>&1 || wine cmd /c exit >/dev/null 2>&1
wineserver -w

key='HKLM\SOFTWARE\PellatoneTests'

reg() {
    wine reg "$@" >/dev/null
}

# From both views, whichever view a previous run wrote.
for v in /reg:32 /reg:64; do
    wine reg delete "$key" /f "$v" >/dev/null 2>&1 || true
    wine reg delete "${key}OtherViewOnly" /f "$v" >/dev/null 2>&1 || true
done

for name in b A c 1.8 11.0 1.10; do
    reg add "$key\\Order\\$name" /f "$view"
done
reg add "$key\\Order\\A\\Grandchild" /f "$view"

values="$key\\Values"
reg add "$values" /v JavaHome /t REG_SZ /d 'C:\Program Files (x86)\Java\jre1.8.0_392' /f "$view"
reg add "$values" /v Expand /t REG_EXPAND_SZ /d '%SystemRoot%\java' /f "$view"
reg add "$values" /v Multi /t REG_MULTI_SZ /d 'a\0b' /f "$view"
reg add "$values" /v Dword /t REG_DWORD /d 0xffffffff /f "$view"
reg add "$values" /v One /t REG_DWORD /d 1 /f "$view"
reg add "$values" /v Qword /t REG_QWORD /d 0x1 /f "$view"
reg add "$values" /v Empty /t REG_SZ /d '' /f "$view"

# 1500 bytes 00 01 02 ... ff 00 01 ...: more than the first read takes.
binary=$(awk 'BEGIN { for (i = 0; i < 1500; i++) printf "%02x", i % 256 }')
reg add "$values" /v Binary /t REG_BINARY /d "$binary" /f "$view"
long=$(awk 'BEGIN { for (i = 0; i < 1500; i++) printf "x" }')
reg add "$values" /v LongText /t REG_SZ /d "$long" /f "$view"

# Only in the other view, which the program does not read.
reg add "${key}OtherViewOnly" /v JavaHome /t REG_SZ /d 'C:\JavaOther' /f "$other_view"

wineserver -w
