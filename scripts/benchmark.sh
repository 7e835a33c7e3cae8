#!/bin/sh
# Launch benchmark (as root): the program headless against the floor (a static C launcher doing
# only what the job cannot skip) and against the launcher script an administrator would write, on
# the same application folder and Java runtime tree, at least 30 runs each, taken in turns.
# A private mount namespace lays a prepared runtime tree over /usr/lib/jvm and the extension's
# source folder over /opt/maradel; the machine's own folders are not touched.
#   scripts/benchmark.sh [runs] [program]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-50}
program=${2:-build/release/bin/pellatone}
[ "$runs" -ge 30 ] || { echo "at least 30 runs" >&2; exit 2; }
if [ ! -x "$program" ]; then
    cmake --preset release >/dev/null && cmake --build --preset release
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
app="$work/app"
jvm="$work/jvm"
maradel="$work/maradel"
mkdir -p "$app/Vexmora/lib" "$maradel/GsmModemJar"
cp "$program" "$app/pellatone"
cp scripts/benchmark/shell_launcher.sh "$app/launcher.sh"
g++ -O2 -std=c++20 -o "$work/measure" scripts/benchmark/measure.cpp
gcc -O2 -static -o "$app/floor" scripts/benchmark/floor_launcher.c

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
    env -u DISPLAY "$5" "$3" "$4/pellatone" "$4/floor" "$4/launcher.sh"
' benchmark "$jvm" "$maradel" "$runs" "$app" "$work/measure"
windows_program=build/windows/src/app/pellatone.exe
if [ -f "$windows_program" ]; then
    echo "Windows program: $(stat -c %s "$windows_program") bytes"
else
    echo "Windows program: not built (cmake --preset windows && cmake --build --preset windows)"
fi
