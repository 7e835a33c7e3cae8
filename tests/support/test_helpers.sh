# Sourced by every shell test: how a test fails, skips and waits, and the checks the end-to-end
# tests of both platforms share.
# shellcheck shell=sh

# fail MESSAGE: says why, naming $scenario when the test has one, then whatever the test's own
# show_failure adds (when it defines one), and ends the test.
fail() {
    echo "FAIL${scenario:+ ($scenario)}: $*"
    if command -v show_failure >/dev/null 2>&1; then show_failure; fi
    exit 1
}

# skip REASON: ends the test as skipped (the tests' SKIP_RETURN_CODE), saying why on one line.
skip() {
    echo "skipped: $*"
    exit 77
}

# use_work_folder: sets `work`, a temporary folder deleted when the test ends, Ctrl+C and kill
# included.
use_work_folder() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# await SECONDS CONDITION: evaluates CONDITION, a shell command line, every tenth of a second
# until it holds; false once SECONDS have passed without. Quote it in single quotes, so that its
# variables are read at every try.
await() {
    await_deadline=$(($(date +%s%N) / 1000000 + $1 * 1000))
    shift
    until eval "$*"; do
        [ $(($(date +%s%N) / 1000000)) -lt "$await_deadline" ] || return 1
        sleep 0.1
    done
}

# expect_status STATUS: the program ended with STATUS; the test keeps its exit status in `status`.
expect_status() {
    [ "$status" = "$1" ] || fail "the program ended with status $status, not $1"
}

# expect_copied ORIGINALS RUNTIME FILE...: each FILE, a path under the runtime folder RUNTIME, is
# a whole copy of the file of its name in the folder ORIGINALS.
expect_copied() {
    copied_from=$1
    copied_to=$2
    shift 2
    for copied_file; do
        cmp -s "$copied_from/$(basename "$copied_file")" "$copied_to/$copied_file" ||
            fail "$copied_to/$copied_file is not a copy of its source"
    done
}

# show_files FILE...: each file that holds anything, under a line naming it.
show_files() {
    for show_file; do
        if [ -s "$show_file" ]; then
            echo "--- $show_file"
            cat "$show_file"
        fi
    done
}
