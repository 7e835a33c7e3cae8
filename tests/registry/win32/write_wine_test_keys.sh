#!/bin/sh
# Writes the keys that the Windows registry tests read into the Wine prefix named by WINEPREFIX,
# in the registry's 32-bit view. Safe to run again: the keys are rewritten from scratch.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the private Wine prefix}"
export WINEPREFIX

# Creates the prefix on first use and waits until it is complete.
wineboot -i >/dev/null 2>&1 || wine cmd /c exit >/dev/null 2>&1
wineserver -w

key='HKLM\SOFTWARE\PellatoneTests'

reg() {
    wine reg "$@" >/dev/null
}

wine reg delete "$key" /f /reg:32 >/dev/null 2>&1 || true
wine reg delete "${key}64Only" /f /reg:64 >/dev/null 2>&1 || true

for name in b A c 1.8 11.0 1.10; do
    reg add "$key\\Order\\$name" /f /reg:32
done
reg add "$key\\Order\\A\\Grandchild" /f /reg:32

values="$key\\Values"
reg add "$values" /v JavaHome /t REG_SZ /d 'C:\Program Files (x86)\Java\jre1.8.0_392' /f /reg:32
reg add "$values" /v Expand /t REG_EXPAND_SZ /d '%SystemRoot%\java' /f /reg:32
reg add "$values" /v Multi /t REG_MULTI_SZ /d 'a\0b' /f /reg:32
reg add "$values" /v Dword /t REG_DWORD /d 0xffffffff /f /reg:32
reg add "$values" /v One /t REG_DWORD /d 1 /f /reg:32
reg add "$values" /v Qword /t REG_QWORD /d 0x1 /f /reg:32
reg add "$values" /v Empty /t REG_SZ /d '' /f /reg:32

# 1500 bytes 00 01 02 ... ff 00 01 ...: more than the first read takes.
binary=$(awk 'BEGIN { for (i = 0; i < 1500; i++) printf "%02x", i % 256 }')
reg add "$values" /v Binary /t REG_BINARY /d "$binary" /f /reg:32
long=$(awk 'BEGIN { for (i = 0; i < 1500; i++) printf "x" }')
reg add "$values" /v LongText /t REG_SZ /d "$long" /f /reg:32

# Only in the 64-bit view, which the program does not read.
reg add "${key}64Only" /v JavaHome /t REG_SZ /d 'C:\Java64' /f /reg:64

wineserver -w
