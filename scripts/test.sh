#!/bin/sh
# Installs what is missing, builds every configuration and runs the whole test suite:
# g++ with warnings as errors, clang++, ASan + UBSan, the Windows program under Wine, and two
# release builds compared byte for byte.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh test

# The GUI tests need a display; start a private X server unless one is given.
if [ -z "${DISPLAY:-}" ]; then
    display=":$((90 + $$ % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT INT TERM
    export DISPLAY="$display"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

failed=""
for preset in ci clang asan windows; do
    echo "=== $preset"
    if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
        ctest --preset "$preset" || failed="$failed $preset"
    else
        failed="$failed $preset(build)"
    fi
done

echo "=== lint"
./scripts/lint.sh build/ci || failed="$failed lint"

echo "=== reproducible"
./scripts/reproducible.sh || failed="$failed reproducible"

echo "=== fuzz"
./scripts/fuzz.sh "${PELLATONE_FUZZ_SECONDS:-30}" || failed="$failed fuzz"

if [ -n "$failed" ]; then
    echo "FAILED:$failed"
    exit 1
fi
echo "All configurations passed."
