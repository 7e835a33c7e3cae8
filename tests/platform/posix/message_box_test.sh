#!/bin/sh
# Message boxes: without a display (or with one that cannot be opened) each text is one line on
# standard error; on a display it is a modal "Pellatone" box that waits for OK.
#   message_box_test.sh DRIVER CLOSE-WINDOW BUILD-FOLDER
set -eu
driver=$1
close_window=$2
build=$3
. "$(dirname "$0")/../../support/test_helpers.sh"
. "$(dirname "$0")/x11_helpers.sh"
work=$(mktemp -d)
cleanup() {
    [ -n "${box_pid:-}" ] && kill "$box_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Compares a driver run's standard error and output with what is expected.
expect_headless() {
    description=$1
    expected_stderr=$2
    expected_stdout=$3
    shift 3
    "$@" >"$work/out" 2>"$work/err" || fail "$description: exit status $?"
    printf '%s' "$expected_stderr" >"$work/expected_err"
    cmp -s "$work/err" "$work/expected_err" || {
        echo "--- expected"; od -c "$work/expected_err"; echo "--- got"; od -c "$work/err"
        fail "$description: standard error differs"
    }
    [ "$(cat "$work/out")" = "$expected_stdout" ] || fail "$description: got $(cat "$work/out")"
    echo "ok: $description"
}

lines='Pellatone: first line
Pellatone: second line
Pellatone: 
Pellatone: after a blank @ 100%
'
expect_headless "no DISPLAY" "$lines" dismissed \
    env -u DISPLAY "$driver" message 'first line\r\nsecond line\r\n\r\nafter a blank @ 100%'
expect_headless "empty DISPLAY" "$lines" dismissed \
    env DISPLAY= "$driver" message 'first line\r\nsecond line\r\n\r\nafter a blank @ 100%'
expect_headless "a display that cannot be opened" "$lines" dismissed \
    env DISPLAY=:979 "$driver" message 'first line\r\nsecond line\r\n\r\nafter a blank @ 100%'
expect_headless "uncaught error without a display" "Pellatone: Run-time error '76':
Pellatone: 
Pellatone: Path not found
" dismissed env -u DISPLAY "$driver" uncaught 76 'Path not found'
expect_headless "no splash without a display" "" "returned false after 0 ticks" \
    env -u DISPLAY "$driver" splash

# DISPLAY set, but no windows module beside the program: it says why, then carries on headless.
mkdir "$work/alone"
cp "$driver" "$work/alone/driver"
expect_headless "no windows module" "Pellatone: Running without windows; the windows module \
did not load: $work/alone/pellatone-gui.so: cannot open shared object file: No such file or \
directory
$lines" dismissed env DISPLAY="${DISPLAY:-:979}" "$work/alone/driver" message \
    'first line\r\nsecond line\r\n\r\nafter a blank @ 100%'

[ -n "${DISPLAY:-}" ] && x xdpyinfo >/dev/null 2>&1 ||
    skip "no X display for the message box itself"

# On the display: the box waits for its OK; Return presses it.
"$driver" message 'Line one\r\nLine two, a longer one: @home 100%' >"$work/out" 2>"$work/err" &
box_pid=$!
id=$(await_window "$box_pid" 10) || fail "no message box appeared"
sleep 0.5
[ "$(x xdotool getwindowname "$id")" = "Pellatone" ] || fail "caption"
set -- $(window_geometry "$id")
[ "$3" -ne 487 ] || [ "$4" -ne 511 ] || fail "the box has the splash window's size"
[ "$3" -ge 200 ] && [ "$4" -ge 60 ] || fail "the box is too small: $3 x $4"
set -- $(window_geometry "$id") $(screen_size)
[ $(( $1 * 2 + $3 - $5 )) -le 2 ] && [ $(( $5 - $1 * 2 - $3 )) -le 2 ] || fail "not centred across"
x import -window "$id" "$build/message-box-screenshot.png" || fail "no screenshot"
[ -s "$work/out" ] && fail "ShowMessage returned before the box was dismissed"
kill -0 "$box_pid" || fail "the driver ended while the box was open"
# Xlib reports the key release to a box already gone as an error: only the effect counts.
press_return() { xdotool key --window "$id" Return 2>/dev/null || true; }
await 2 'press_return; sleep 0.2; ! kill -0 "$box_pid" 2>/dev/null' || true
await_exit "$box_pid" 10 || fail "Return did not dismiss the box"
box_pid=
[ "$exit_status" -eq 0 ] || fail "driver status $exit_status"
[ "$(cat "$work/out")" = dismissed ] || fail "driver printed $(cat "$work/out")"
[ -s "$work/err" ] && fail "a displayed message also went to standard error: $(cat "$work/err")"
echo "ok: message box on the display, dismissed with Return"

# The uncaught-error report is such a box too; closing it from its frame dismisses it.
"$driver" uncaught 53 'File not found' >"$work/out" 2>"$work/err" &
box_pid=$!
id=$(await_window "$box_pid" 10) || fail "no uncaught-error box appeared"
sleep 0.3
x import -window "$id" "$build/uncaught-error-screenshot.png" || fail "no screenshot"
x "$close_window" "$id" || fail "could not ask the box to close"
await_exit "$box_pid" 10 || fail "closing did not dismiss the box"
box_pid=
[ "$exit_status" -eq 0 ] && [ "$(cat "$work/out")" = dismissed ] || fail "uncaught-error box"
[ -s "$work/err" ] && fail "the report also went to standard error: $(cat "$work/err")"
echo "ok: uncaught-error box on the display, dismissed from its frame"
