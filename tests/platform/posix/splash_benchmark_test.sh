#!/bin/sh
# The benchmark's splash mode runs once through and gives figures for all three launchers.
#   splash_benchmark_test.sh SOURCE-FOLDER PELLATONE GUI-MODULE
set -u
output=$(sh "$1/scripts/benchmark.sh" splash 1 "$2" "$3" 2>&1)
status=$?
echo "$output"
[ "$status" -eq 0 ] || { echo "FAIL: the splash mode ended with status $status"; exit 1; }
for launcher in program floor "JDK splash"; do
    echo "$output" | grep -q "^$launcher: mapped after [0-9.]* ms, painted after [0-9.]* ms$" \
        || { echo "FAIL: no figures for $launcher"; exit 1; }
done
echo "ok: the splash mode ran"
