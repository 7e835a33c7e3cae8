#!/bin/sh
# The benchmark's splash mode runs once through and gives figures for all three launchers.
#   splash_benchmark_test.sh SOURCE-FOLDER PELLATONE GUI-MODULE
set -u
. "$(dirname "$0")/../../support/test_helpers.sh"
output=$(sh "$1/scripts/benchmark.sh" splash 1 "$2" "$3" 2>&1)
status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "the splash mode ended with status $status"
for launcher in program floor "JDK splash"; do
    echo "$output" | grep -q "^$launcher: mapped after [0-9.]* ms, painted after [0-9.]* ms$" \
        || fail "no figures for $launcher"
done
echo "ok: the splash mode ran"
