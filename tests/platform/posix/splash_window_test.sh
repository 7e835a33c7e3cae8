#!/bin/sh
# The splash window on a real X display: Timer1 ticks once after about two seconds and the
# window goes; caption, client size, place, frame hints, icon and picture; closing it first
# ends the program with nothing started. Writes splash-screenshot.png into BUILD-FOLDER.
#   splash_window_test.sh PELLATONE DRIVER CLOSE-WINDOW BUILD-FOLDER GUI-MODULE
set -eu
program=$1
driver=$2
close_window=$3
build=$(cd "$4" && pwd -P)
gui_module=$5
here=$(cd "$(dirname "$0")" && pwd -P)
. "$here/../../support/test_helpers.sh"
. "$here/../../support/expected_texts.sh"
. "$here/x11_helpers.sh"
. "$here/stand_in.sh"
splash_gif="$here/../../../assets/splash.gif"

[ -n "${DISPLAY:-}" ] && x xdpyinfo >/dev/null 2>&1 || skip "no X display"

work=$(mktemp -d)
running=""
cleanup() {
    for p in $running; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
show_failure() {
    echo "--- windows on $DISPLAY"
    timeout 5 xwininfo -root -tree | grep '"' || true
    show_files "$work"/*.out "$work"/*.err
}

# One row (or rows) of a picture as raw RGB bytes in a file.
rows() { convert "$1" -crop "487x$3+0+$2" +repage -depth 8 "rgb:$4"; }

# ---- Timer1, timed before anything slower looks at the window ------------------------------
started=$(now)
"$driver" splash >"$work/timed.out" 2>"$work/timed.err" &
timed_pid=$!
running="$timed_pid"
timing=$(time_window "$timed_pid" 10) || fail "no splash window appeared, or it did not go"
set -- $timing
shown_for=$(elapsed "$2" "$3")
gone_after=$(elapsed "$2" "$4")
since_start=$(elapsed "$started" "$4")
echo "window shown for $shown_for s, gone after $gone_after s ($since_start s from the start)"
# Shown from about when Timer1 starts, it must stay the 2000 ms up to a check's margin; a loose
# upper bound allows for a loaded machine.
awk -v t="$shown_for" 'BEGIN { exit !(t >= 1.8) }' || fail "gone after $shown_for s, before 2000 ms"
awk -v t="$since_start" 'BEGIN { exit !(t >= 2.0) }' || fail "gone too early"
awk -v t="$gone_after" 'BEGIN { exit !(t <= 5.0) }' || fail "still there after $gone_after s"
await_exit "$timed_pid" 10 || fail "the driver did not end"
running=""
[ "$exit_status" -eq 0 ] || fail "driver status $exit_status"
[ "$(cat "$work/timed.out")" = "tick
unloaded
returned true after 1 ticks" ] || fail "driver printed: $(cat "$work/timed.out")"
echo "ok: Timer1 ticked once after about two seconds and the window went"

# ---- On the smaller second screen of a display with two: centred on that one ---------------
# That screen has 16-bit colour, whose pixels the picture cannot be sent in as it is: FLTK
# converts it there, dithering, so its colours come out within a few percent.
Xvfb -displayfd 5 -nolisten tcp -screen 0 1280x1024x24 -screen 1 800x600x16 \
    5>"$work/two-screens" >/dev/null 2>&1 &
running="$!"
await 10 '[ -s "$work/two-screens" ]' || fail "no X server with two screens started"
first_display=$DISPLAY
DISPLAY=":$(cat "$work/two-screens").1"
"$driver" splash >"$work/second.out" 2>"$work/second.err" &
second_pid=$!
running="$running $second_pid"
id=$(await_window "$second_pid" 10) || fail "no splash window appeared on screen 1"
set -- $(window_geometry "$id") $(screen_size)
echo "window at $1,$2 size $3 x $4 on a $5 x $6 screen"
dx=$(( $1 * 2 + $3 - $5 ))
dy=$(( $2 * 2 + $4 - $6 ))
[ "$5" -eq 800 ] && [ "$dx" -ge -2 ] && [ "$dx" -le 2 ] && [ "$dy" -ge -2 ] && [ "$dy" -le 2 ] \
    || fail "not centred on the 800 x 600 screen 1 of $DISPLAY: at $1,$2"
sleep 0.3
x import -window "$id" "$work/16-bit.png" || fail "no screenshot on the 16-bit screen"
rows "$work/16-bit.png" 508 3 "$work/shot.rgb"
rows "$splash_gif" 508 3 "$work/picture.rgb"
for file in shot picture; do
    convert -size 487x3 -depth 8 "rgb:$work/$file.rgb" "$work/$file.png"
done
differing=$(compare -metric AE -fuzz 6% "$work/shot.png" "$work/picture.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "on 16-bit colour, $differing pixels of rows 508 to 510 are off"
await_exit "$second_pid" 10 || fail "the driver did not end"
kill $running 2>/dev/null || true
running=""
DISPLAY=$first_display
echo "ok: with DISPLAY naming screen 1, centred on screen 1, its 16-bit colours the picture's"

# ---- The window itself, with the driver's Timer1 handler ----------------------------------
# Without a font configuration, any font set-up would complain on standard error: the picture
# must need none, and the window must leave standard error alone.
FONTCONFIG_FILE=/nonexistent/fonts.conf \
    "$driver" splash >"$work/splash.out" 2>"$work/splash.err" &
splash_pid=$!
running="$splash_pid"
id=$(await_window "$splash_pid" 10) || fail "no splash window appeared"

[ "$(x xdotool getwindowname "$id")" = "Pellatone" ] || fail "caption $(timeout 5 xdotool getwindowname "$id")"
set -- $(window_geometry "$id") $(screen_size)
echo "window at $1,$2 size $3 x $4 on a $5 x $6 screen"
[ "$3" -eq 487 ] && [ "$4" -eq 511 ] || fail "client area $3 x $4, not 487 x 511"
dx=$(( $1 * 2 + $3 - $5 ))
dy=$(( $2 * 2 + $4 - $6 ))
[ "$dx" -ge -2 ] && [ "$dx" -le 2 ] && [ "$dy" -ge -2 ] && [ "$dy" -le 2 ] \
    || fail "not centred: at $1,$2"
echo "ok: caption Pellatone, client area 487 x 511, centred"

hints=$(x xprop -id "$id" WM_NORMAL_HINTS)
echo "$hints" | grep -q "program specified minimum size" || fail "no minimum size: $hints"
echo "$hints" | grep -q "maximum size" && fail "the frame cannot be sized: $hints"
icons=$(x xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[ "$icons" = "Icon (32 x 32) Icon (16 x 16) " ] || fail "icons: $icons"
echo "ok: sizable frame, icons 32 x 32 and 16 x 16"

sleep 0.3
x import -window "$id" "$build/splash-screenshot.png" || fail "no screenshot"
# Image1 squeezes the 517 rows into 508 (nearest row, as FLTK samples); below it, rows 508 to
# 510 are the background picture's own rows, unscaled.
for row in 0 1 100 300 507; do
    source_row=$(( row + (row * 9) / 508 ))
    rows "$build/splash-screenshot.png" "$row" 1 "$work/shot.rgb"
    rows "$splash_gif" "$source_row" 1 "$work/picture.rgb"
    cmp -s "$work/shot.rgb" "$work/picture.rgb" \
        || fail "row $row of the window is not row $source_row of the picture"
done
rows "$build/splash-screenshot.png" 508 3 "$work/shot.rgb"
rows "$splash_gif" 508 3 "$work/picture.rgb"
cmp -s "$work/shot.rgb" "$work/picture.rgb" || fail "rows 508 to 510 are not the background's"
echo "ok: Image1 shows the picture squeezed to 508 rows over the unscaled background"

await_window_gone "$id" 10 || fail "the window did not go"
await_exit "$splash_pid" 10 || fail "the driver did not end"
running=""
[ "$exit_status" -eq 0 ] || fail "driver status $exit_status"
[ -s "$work/splash.err" ] && fail "the splash window wrote to standard error"
echo "ok: the splash window needs no fonts and writes nothing to standard error"

# ---- Sized past its picture: the frame's own colour (FLTK's grey) there, not black ----------
# A launch of its own, sized as soon as it shows: Timer1 ends it two seconds later.
"$driver" splash >/dev/null 2>&1 &
sized_pid=$!
running="$sized_pid"
id=$(await_window "$sized_pid" 10) || fail "no splash window appeared"
x xdotool windowsize "$id" 600 600 || fail "could not size the window"
sleep 0.3
x import -window "$id" "$work/sized.png" || fail "no screenshot of the sized window"
for point in 550,100 100,560; do
    colour=$(convert "$work/sized.png" -crop "1x1+${point%,*}+${point#*,}" -depth 8 txt:- | tail -n 1)
    case "$colour" in *'(192,192,192)'*) ;; *) fail "sized window at $point: $colour" ;; esac
done
await_exit "$sized_pid" 10 || fail "the driver did not end"
running=""
echo "ok: sized past its picture, the frame shows its own colour there"

# ---- Closed early: Escape is no close, the frame's close is; no tick follows ---------------
"$driver" splash >"$work/closed.out" 2>"$work/closed.err" &
closed_pid=$!
running="$closed_pid"
id=$(await_window "$closed_pid" 10) || fail "no splash window appeared"
# (Xlib calls it an error when the window is gone by the key's release: only the effect counts.)
for _ in 1 2; do timeout 5 xdotool key --window "$id" Escape 2>/dev/null || true; done
sleep 0.3
[ -n "$(pellatone_windows "$closed_pid")" ] || fail "Escape closed the splash window"
x "$close_window" "$id" || fail "could not ask the window to close"
await_exit "$closed_pid" 2 || fail "the driver did not end when the window was closed"
running=""
[ "$exit_status" -eq 0 ] || fail "driver status $exit_status"
[ "$(cat "$work/closed.out")" = "returned true after 0 ticks" ] \
    || fail "driver printed: $(cat "$work/closed.out")"
echo "ok: closing the window first ends the loop with no tick"

# ---- The real program ----------------------------------------------------------------------
app="$work/app folder"
record="$work/record.txt"
make_stand_in "$app" "$record" "$work/go" || fail "could not compile the stand-in"
touch "$work/go"
cp "$program" "$app/pellatone"
cp "$gui_module" "$app/pellatone-gui.so"

# Closed before the tick: it ends, and no Java program is started.
(cd "$work" && exec "$app/pellatone") >"$work/early.out" 2>"$work/early.err" &
early_pid=$!
running="$early_pid"
id=$(await_window "$early_pid" 10) || fail "the program showed no splash window"
x "$close_window" "$id" || fail "could not ask the window to close"
await_exit "$early_pid" 5 || fail "the program did not end when its window was closed"
running=""
[ "$exit_status" -eq 0 ] || fail "program status $exit_status"
sleep 3
[ -f "$record" ] && fail "a Java program was started although the window was closed first"
echo "ok: the program closed early ends and starts nothing"

# Left alone: the splash goes after the tick and the stand-in is started. Message boxes the
# start-up may show on the way are dismissed like a user would.
(cd "$work" && exec "$app/pellatone") >"$work/launch.out" 2>"$work/launch.err" &
launch_pid=$!
running="$launch_pid"
id=$(await_window "$launch_pid" 10) || fail "the program showed no splash window"
await_window_gone "$id" 10 || fail "the splash window did not go"
dismiss_boxes() {
    for box in $(pellatone_windows "$launch_pid"); do
        echo "dismissing a message box"
        x "$close_window" "$box" || true
    done
}
await 20 '! kill -0 "$launch_pid" 2>/dev/null || { dismiss_boxes; false; }' ||
    fail "the program did not end after its splash window"
await_exit "$launch_pid" 1 || true
running=""
[ "$exit_status" -eq 0 ] || fail "program status $exit_status"
await 30 '[ -f "$record" ]' || fail "the stand-in wrote no record within 30 s"
grep -qx "user.dir=$app" "$record" || fail "working folder: $(cat "$record")"
grep -qx "java.class.path=$(expected_class_path "$app")" "$record" \
    || fail "class path: $(cat "$record")"
echo "ok: after the splash the program started the stand-in in its folder and ended"
