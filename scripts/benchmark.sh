#!/bin/sh
# Launch benchmark (as root): the program headless against the floor (a static C launcher doing
# only what the job cannot skip), the same floor linked against the shared C library as the
# program is, and the launcher script an administrator would write, on the same application
# folder and Java runtime tree, at least 30 runs each, taken in turns.
# A private mount namespace lays a prepared runtime tree over /usr/lib/jvm and the extension's
# source folder over /opt/maradel; the machine's own folders are not touched.
#   scripts/benchmark.sh [runs] [program]
# Splash mode: how soon the splash window holds its picture, on an X server of its own with no
# window manager, against the floor (plain Xlib and giflib showing the same GIF) and the JDK's own
# splash screen (java -splash:), 12 runs each by default, taken in turns. Needs no root.
#   scripts/benchmark.sh splash [runs] [program] [windows-module]
# Windows splash mode: the same for the Windows program under Wine, in a Wine prefix of its own,
# against the floor (scripts/benchmark/floor_splash_win32.c, built for the program's architecture),
# which shows the same picture with one BitBlt. Needs no root.
#   scripts/benchmark.sh windows-splash [runs] [pellatone.exe]
set -eu
cd "$(dirname "$0")/.."

# Starts an X server of the benchmark's own, with no window manager, in $work; sets `server` to its
# process and `own_display` to its display.
start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    server=$!
    i=0
    until [ -s "$work/display" ]; do
        i=$((i + 1))
        if [ "$i" -gt 100 ] || ! kill -0 "$server" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            cat "$work/xvfb.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    own_display=":$(cat "$work/display")"
}

if [ "${1:-}" = splash ]; then
    runs=${2:-12}
    program=${3:-build/release/bin/pellatone}
    if [ ! -x "$program" ]; then
        cmake --preset release >/dev/null && cmake --build --preset release
    fi
    module=${4:-$(dirname "$program")/pellatone-gui.so}
    work=$(mktemp -d)
    server=""
    trap '[ -z "$server" ] || kill "$server"; rm -rf "$work"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    mkdir "$work/app"
    cp "$program" "$work/app/pellatone"
    cp "$module" "$work/app/pellatone-gui.so"
    gcc -O2 -o "$work/floor_splash" scripts/benchmark/floor_splash.c -lgif -lX11
    gcc -O2 -o "$work/x_splash_watch" tests/support/x_splash_watch.c -lXdamage -lX11
    # The JDK's splash stays up as long as its application runs: one that only waits.
    printf 'public class Idle { public static void main(String[] a) throws Exception {
        Thread.sleep(60000); } }\n' >"$work/Idle.java"
    javac -d "$work" "$work/Idle.java"
    start_display
    echo "JDK: $(java -version 2>&1 | head -n 1)"
    DISPLAY=$own_display "$work/x_splash_watch" times "$runs" 1.2 \
        program "$work/app/pellatone" -- \
        floor "$work/floor_splash" assets/splash.gif -- \
        "JDK splash" java -splash:assets/splash.gif -cp "$work" Idle
    exit
fi
if [ "${1:-}" = windows-splash ]; then
    runs=${2:-12}
    program=${3:-build/windows/src/app/pellatone.exe}
    if [ ! -f "$program" ]; then
        cmake --preset windows >/dev/null && cmake --build --preset windows
    fi
    case $(file -b "$program") in
    PE32+*) target=x86_64-w64-mingw32 bits=64 ;;
    PE32*) target=i686-w64-mingw32 bits=32 ;;
    *) echo "$program is no Windows program" >&2; exit 2 ;;
    esac
    work=$(mktemp -d)
    server=""
    # Wine's server goes before the X server its programs draw on, and both before the prefix.
    trap '[ ! -d "$work/prefix" ] || WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
        [ -z "$server" ] || kill "$server"; rm -rf "$work"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    mkdir "$work/program" "$work/floor"
    cp "$program" "$work/program/pellatone.exe"
    printf '1 RCDATA "%s"\n' "$PWD/assets/splash.gif" >"$work/floor.rc"
    "$target-windres" "$work/floor.rc" -O coff -o "$work/floor_picture.o"
    "$target-gcc" -std=c11 -O2 -mwindows -o "$work/floor/floor_splash.exe" \
        scripts/benchmark/floor_splash_win32.c "$work/floor_picture.o" -lole32 -loleaut32 -luuid
    gcc -O2 -o "$work/x_splash_watch" tests/support/x_splash_watch.c -lXdamage -lX11
    start_display
    # A prefix of its own whose server and services keep running between the runs, as Windows
    # does between two programs; Wine is not to offer its Mono and Gecko installers.
    export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="$own_display"
    mkdir "$WINEPREFIX"
    wineserver -p
    wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log" >&2; exit 1; }
    echo "Wine: $(wine --version), the $bits-bit program $program"
    "$work/x_splash_watch" times "$runs" 1.2 \
        program wine "$work/program/pellatone.exe" -- \
        floor wine "$work/floor/floor_splash.exe"
    exit
fi
runs=${1:-50}
program=${2:-build/release/bin/pellatone}
[ "$runs" -ge 30 ] || { echo "at least 30 runs" >&2; exit 2; }
if [ ! -x "$program" ]; then
    cmake --preset release >/dev/null && cmake --build --preset release
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
app="$work/app"
jvm="$work/jvm"
maradel="$work/maradel"
mkdir -p "$app/Vexmora/lib" "$maradel/GsmModemJar"
cp "$program" "$app/pellatone"
cp scripts/benchmark/shell_launcher.sh "$app/launcher.sh"
g++ -O2 -std=c++20 -o "$work/measure" scripts/benchmark/measure.cpp
gcc -O2 -static -o "$app/floor" scripts/benchmark/floor_launcher.c
gcc -O2 -o "$app/floor-shared" scripts/benchmark/floor_launcher.c

# A runtime whose java is a stand-in server that exits at once; the extension is installed, so
# each run does the presence checks without copying.
# The floor launcher knows this runtime by name.
runtime="$jvm/java-8-benchmark"
mkdir -p "$runtime/bin" "$runtime/lib/ext"
printf 'JAVA_VERSION="1.8.0_392"\n' > "$runtime/release"
printf '#!/bin/sh\nexit 0\n' > "$runtime/bin/java"
chmod +x "$runtime/bin/java"
for file in lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar; do
    echo extension > "$runtime/$file"
    cp "$runtime/$file" "$maradel/GsmModemJar/"
done

unshare -m --propagation private sh -c '
    mount --bind "$1" /usr/lib/jvm
    # Without an /opt/maradel of its own, the machine gets none: a scratch /opt in here.
    if [ ! -d /opt/maradel ]; then mount -t tmpfs tmpfs /opt && mkdir /opt/maradel; fi
    mount --bind "$2" /opt/maradel
    [ -d /usr/lib64/jvm ] && mount -t tmpfs tmpfs /usr/lib64/jvm
    env -u DISPLAY "$5" "$3" "$4/pellatone" "$4/floor" "$4/floor-shared" "$4/launcher.sh"
' benchmark "$jvm" "$maradel" "$runs" "$app" "$work/measure"
windows_program=build/windows/src/app/pellatone.exe
if [ -f "$windows_program" ]; then
    echo "Windows program: $(stat -c %s "$windows_program") bytes"
else
    echo "Windows program: not built (cmake --preset windows && cmake --build --preset windows)"
fi
