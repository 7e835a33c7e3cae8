#!/bin/sh
# The real program, run without a display from a folder laid out like its installation, must
# start the JVM on a stand-in VEXMORA.Frame11 with the application folder as working folder and
# the eleven class-path entries, and must end without waiting for it. With "without-module" it
# runs with DISPLAY set but no windows module beside it: it must say so once and launch all the
# same.
#   headless_launch_test.sh PELLATONE WORK-FOLDER [without-module]
set -eu
program=$1
work=$2
mode=${3:-}
. "$(dirname "$0")/stand_in.sh"

fail() {
    echo "FAIL: $*"
    for f in "$work/stdout" "$work/stderr" "$work/record.txt"; do
        if [ -f "$f" ]; then
            echo "--- $f"
            cat "$f"
        fi
    done
    exit 1
}

rm -rf "$work"
mkdir -p "$work/elsewhere"
work=$(cd "$work" && pwd -P)
app="$work/app folder"
record="$work/record.txt"
go="$work/go"
make_stand_in "$app" "$record" "$go" || fail "could not compile the stand-in"
cp "$program" "$app/pellatone"

# Run it headless from another folder; it must end by itself while the stand-in still waits.
cd "$work/elsewhere"
if [ "$mode" = without-module ]; then
    # A real display if there is one: the program must not get as far as opening it.
    env DISPLAY="${DISPLAY:-:979}" "$app/pellatone" >"$work/stdout" 2>"$work/stderr" &
else
    env -u DISPLAY "$app/pellatone" >"$work/stdout" 2>"$work/stderr" &
fi
pid=$!
i=0
while kill -0 "$pid" 2>/dev/null; do
    i=$((i + 1))
    if [ "$i" -gt 300 ]; then
        kill "$pid" 2>/dev/null || true
        touch "$go"
        fail "pellatone did not end within 30 s (did it wait for java?)"
    fi
    sleep 0.1
done
status=0
wait "$pid" || status=$?
[ -f "$record" ] && fail "the stand-in wrote its record before pellatone had ended"
touch "$go"
[ "$status" -eq 0 ] || fail "pellatone ended with status $status"
if [ "$mode" = without-module ]; then
    # Said first, and once; whatever the start-up itself has to say follows as usual.
    expected="Pellatone: Running without windows; the windows module did not load: \
$app/pellatone-gui.so: cannot open shared object file: No such file or directory"
    [ "$(head -n 1 "$work/stderr")" = "$expected" ] || fail "standard error does not start with:
$expected"
    [ "$(grep -c 'windows module' "$work/stderr")" -eq 1 ] || fail "said more than once"
fi

await_stand_in_record "$record" || fail "the stand-in wrote no record within 30 s (was java started?)"

expected=$(expected_record "$app")
actual=$(cat "$record")
if [ "$actual" != "$expected" ]; then
    echo "--- expected"
    echo "$expected"
    fail "the stand-in's record differs"
fi
echo "stand-in started in '$app' with the eleven class-path entries; pellatone had ended first"
cd /
rm -rf "$work"
