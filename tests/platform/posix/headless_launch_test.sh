#!/bin/sh
# The real program, run without a display from a folder laid out like its installation, must
# start the JVM on a stand-in VEXMORA.Frame11 with the application folder as working folder and
# the eleven class-path entries, and must end without waiting for it. With "without-module" it
# runs with DISPLAY set but no windows module beside it: it must say so once and launch all the
# same. With "silent-display MODULE" the module is there but DISPLAY names a loopback listener
# that takes the connection and never replies: the program must give up on it within its
# deadline, say so once and launch headless. With "damaged-module MODULE" the module beside it is
# cut short, as an interrupted copy leaves it: the program must refuse it, say so once and launch.
#   headless_launch_test.sh PELLATONE WORK-FOLDER
#       [without-module | silent-display MODULE | damaged-module MODULE]
set -eu
program=$1
work=$2
mode=${3:-}
module=${4:-}
listener_pid=
. "$(dirname "$0")/../../support/test_helpers.sh"
. "$(dirname "$0")/../../support/expected_texts.sh"
. "$(dirname "$0")/stand_in.sh"

show_failure() {
    [ -z "$listener_pid" ] || kill "$listener_pid" 2>/dev/null || true
    show_files "$work/stdout" "$work/stderr" "$work/record.txt"
}

rm -rf "$work"
mkdir -p "$work/elsewhere"
work=$(cd "$work" && pwd -P)
app="$work/app folder"
record="$work/record.txt"
go="$work/go"
make_stand_in "$app" "$record" "$go" || fail "could not compile the stand-in"
cp "$program" "$app/pellatone"
limit=30
if [ "$mode" = damaged-module ]; then
    # The first 30000 of its bytes: its headers are whole, its segments are not.
    head -c 30000 "$module" >"$app/pellatone-gui.so"
fi
if [ "$mode" = silent-display ]; then
    cp "$module" "$app/"
    # Accepts X connections on the first free display from :77 on and never answers; gone after
    # a minute at the latest.
    python3 -c '
import socket, sys, time
for number in range(77, 100):
    server = socket.socket()
    try:
        server.bind(("127.0.0.1", 6000 + number))
    except OSError:
        continue
    server.listen(8)
    print(number, flush=True)
    server.settimeout(60)
    held = []
    end = time.monotonic() + 60
    try:
        while time.monotonic() < end:
            held.append(server.accept()[0])
    except OSError:
        pass
    sys.exit(0)
sys.exit(1)' >"$work/listener" &
    listener_pid=$!
    await 10 '[ -s "$work/listener" ]' || fail "the silent listener did not start"
    silent_display="127.0.0.1:$(cat "$work/listener")"
    # Its deadline is 5 s; with the launch itself, 10 s is plenty.
    limit=10
fi

# Run it headless from another folder; it must end by itself while the stand-in still waits.
cd "$work/elsewhere"
if [ "$mode" = without-module ] || [ "$mode" = damaged-module ]; then
    # A real display if there is one: the program must not get as far as opening it.
    env DISPLAY="${DISPLAY:-:979}" "$app/pellatone" >"$work/stdout" 2>"$work/stderr" &
elif [ "$mode" = silent-display ]; then
    env DISPLAY="$silent_display" "$app/pellatone" >"$work/stdout" 2>"$work/stderr" &
else
    env -u DISPLAY "$app/pellatone" >"$work/stdout" 2>"$work/stderr" &
fi
pid=$!
if ! await "$limit" '! kill -0 "$pid" 2>/dev/null'; then
    kill "$pid" 2>/dev/null || true
    touch "$go"
    fail "pellatone did not end within $limit s (did it wait for java or the display?)"
fi
status=0
wait "$pid" || status=$?
[ -f "$record" ] && fail "the stand-in wrote its record before pellatone had ended"
touch "$go"
[ "$status" -eq 0 ] || fail "pellatone ended with status $status"
# Why it runs without windows: said first, and once (no other line holds `key`); whatever the
# start-up itself has to say follows as usual.
unloaded="the windows module did not load: $app/pellatone-gui.so:"
case $mode in
    without-module) why="$unloaded cannot open shared object file: No such file or directory" \
        key='windows module' ;;
    damaged-module) why="$unloaded cut short: a loadable segment ends past the end of the file" \
        key='windows module' ;;
    silent-display) why="the display $silent_display did not answer within 5 seconds" \
        key='did not answer' ;;
esac
[ "$mode" != silent-display ] || kill "$listener_pid" 2>/dev/null || true
if [ -n "$mode" ]; then
    expected="Pellatone: Running without windows; $why"
    [ "$(head -n 1 "$work/stderr")" = "$expected" ] || fail "standard error does not start with:
$expected"
    [ "$(grep -c "$key" "$work/stderr")" -eq 1 ] || fail "said more than once"
fi

await 30 '[ -f "$record" ]' || fail "the stand-in wrote no record within 30 s (was java started?)"

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
