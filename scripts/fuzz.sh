#!/bin/sh
# Builds the libFuzzer targets and runs each for a bounded time (seconds, default 30) from its
# seed corpus. A crash, a sanitizer report or a broken property fails the run.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
status=0
for target in build/fuzz/bin/fuzz_*; do
    name=${target##*/fuzz_}
    echo "--- fuzzing $name for ${seconds}s"
    mkdir -p "$work/$name"
    # New inputs go to the scratch folder; the seed corpus in the repository stays as it is.
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/" "$work/$name" "tests/fuzz/corpus/$name" \
        >"$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log"
        for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do
            [ -e "$artifact" ] && cp "$artifact" build/fuzz/ && echo "kept build/fuzz/${artifact##*/}"
        done
        status=1
    else
        grep -E 'stat::number_of_executed_units' "$work/$name.log" || true
    fi
done
exit $status
