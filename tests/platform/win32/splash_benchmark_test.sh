#!/bin/sh
# The benchmark's Windows splash mode runs once through: the program and its floor each reach their
# picture under Wine, on a display and in a Wine prefix of the benchmark's own. No timing is
# judged here.
#   splash_benchmark_test.sh SOURCE-FOLDER PELLATONE_EXE
set -eu
# shellcheck source=tests/support/test_helpers.sh
. "$(dirname "$0")/../../support/test_helpers.sh"
status=0
output=$(sh "$1/scripts/benchmark.sh" windows-splash 1 "$2" 2>&1) || status=$?
echo "$output"
[ "$status" -eq 0 ] || fail "the Windows splash mode ended with status $status"
for launcher in program floor; do
    echo "$output" | grep -q "^$launcher: mapped after [0-9.]* ms, painted after [0-9.]* ms$" \
        || fail "no figures for $launcher"
done
echo "$output" | grep -q '^ratio program/floor: [0-9.]*$' || fail "no ratio program/floor"
echo "ok: the Windows splash mode ran"
