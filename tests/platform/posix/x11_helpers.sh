# Sourced by the GUI tests, after tests/support/test_helpers.sh: bounded waits for windows on
# $DISPLAY.
#
# A busy X server now and then turns a new connection away, so every X client below is run
# through x: up to five tries before its failure counts. No X client may hang a test: each try
# has ten seconds, and the queries the waits repeat have five.

x() {
    x_try=1
    while ! timeout 10 "$@"; do
        [ "$x_try" -ge 5 ] && return 1
        x_try=$((x_try + 1))
        sleep 0.1
    done
}

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# The ids of the windows of process PID captioned exactly "Pellatone".
pellatone_windows() {
    timeout 5 xdotool search --all --pid "$1" --name '^Pellatone$' 2>/dev/null || true
}

# Waits up to SECONDS for a "Pellatone" window of PID; prints its id. False at once when PID ends.
await_window() {
    window_pid=$1
    window_id=""
    await "$2" 'window_id=$(pellatone_windows "$window_pid" | head -n 1)
        [ -n "$window_id" ] || ! kill -0 "$window_pid" 2>/dev/null' && [ -n "$window_id" ] &&
        echo "$window_id"
}

# "IsViewable", "IsUnMapped", "gone" (destroyed) or "unknown" (no answer) for window ID.
window_state() {
    timeout 5 xwininfo -id "$1" 2>&1 | awk '/Map State:/ { state = $NF } /No such window/ { state = "gone" }
        END { print (state == "" ? "unknown" : state) }'
}

# Waits up to SECONDS until window ID is destroyed or unmapped.
await_window_gone() {
    gone_id=$1
    await "$2" 'window_state "$gone_id" | grep -qxE "gone|IsUnMapped|IsUnviewable"'
}

# Times the first "Pellatone" window of PID, for at most SECONDS: prints its id, the time the check
# that found it began, the last time it was seen shown and the time it was seen gone (destroyed
# or unmapped), so its life is known to within one check, a few hundredths of a second.
time_window() {
    time_i=0
    time_id=""
    while [ -z "$time_id" ]; do
        time_i=$((time_i + 1))
        if [ "$time_i" -gt $(($2 * 50)) ] || ! kill -0 "$1" 2>/dev/null; then return 1; fi
        time_found=$(now)
        time_id=$(pellatone_windows "$1" | head -n 1)
        [ -n "$time_id" ] || sleep 0.02
    done
    time_shown=$time_found
    while :; do
        time_i=$((time_i + 1))
        [ "$time_i" -le $(($2 * 50)) ] || return 1
        time_check=$(now)
        case $(window_state "$time_id") in
            IsViewable) time_shown=$time_check ;;
            gone | IsUnMapped | IsUnviewable) break ;;
        esac
        sleep 0.02
    done
    echo "$time_id $time_found $time_shown $(now)"
}

# Waits up to SECONDS for process PID, a child of this shell, to end and sets exit_status; ends
# it and fails after that. Not to be called in a subshell, which cannot wait for it.
await_exit() {
    exit_pid=$1
    if ! await "$2" '! kill -0 "$exit_pid" 2>/dev/null'; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
        return 1
    fi
    exit_status=0
    wait "$1" || exit_status=$?
}

# "X Y W H" of window ID's client area on the screen.
window_geometry() {
    x xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^  Width:/ { w = $NF } /^  Height:/ { h = $NF } END { print x, y, w, h }'
}

screen_size() {
    x xwininfo -root | awk '/^  Width:/ { w = $NF } /^  Height:/ { h = $NF } END { print w, h }'
}
