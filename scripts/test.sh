#!/bin/sh
# Installs what is missing, builds every configuration and runs the whole test suite:
# g++ with warnings as errors, clang++, ASan + UBSan, the Windows program under Wine (and its
# 64-bit build where this machine cannot run 32-bit programs), and two release builds compared
# byte for byte.
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
build_and_test() {
    echo "=== $1"
    if cmake --preset "$1" >/dev/null && cmake --build --preset "$1"; then
        ctest --preset "$1" || failed="$failed $1"
    else
        failed="$failed $1(build)"
    fi
}
for preset in ci clang asan windows; do
    build_and_test "$preset"
done

# Where this machine cannot run 32-bit programs (a kernel without 32-bit support), the windows
# configuration skips the tests that run its program, as its configure step found; the 64-bit
# build of the same program runs them instead.
if grep -qx 'PELLATONE_WINE_RUNS_PROGRAMS:INTERNAL=OFF' build/windows/CMakeCache.txt 2>/dev/null
then
    echo "This machine cannot run 32-bit programs: the 32-bit program's runs under Wine are replaced by the 64-bit build's (windows-x64)."
    build_and_test windows-x64
fi

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
