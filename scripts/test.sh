#!/bin/sh
# Installs what is missing, builds every configuration and runs the whole test suite:
# g++ with warnings as errors, clang++, ASan + UBSan, the Windows program under Wine (and its
# 64-bit build where this machine cannot run 32-bit programs), and two release builds compared
# byte for byte. Ends with one line a step: its tests, failures and skips, and how long it took.
#   test.sh [STEP...]   only the steps named (ci clang asan windows lint reproducible fuzz)
set -eu
cd "$(dirname "$0")/.."
all_steps="ci clang asan windows lint reproducible fuzz"
steps=${*:-$all_steps}
for step in $steps; do
    case " $all_steps " in
    *" $step "*) ;;
    *) echo "test.sh: no step $step; the steps: $all_steps" >&2; exit 1 ;;
    esac
done
# lint reads the compile commands of ci's build.
case " $steps " in *" lint "*) case " $steps " in *" ci "*) ;; *) steps="ci $steps" ;; esac ;; esac
# wanted STEP: whether this run takes STEP.
wanted() { case " $steps " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }
./scripts/install-deps.sh test

xvfb=""
step=""
work=$(mktemp -d)
cleanup() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
# A stop (Ctrl+C, kill) ends the step running, with everything it started, and then the script.
stop() {
    if [ -n "$step" ]; then kill -TERM "-$step" 2>/dev/null || true; fi
    exit "$1"
}
trap cleanup EXIT
trap 'stop 130' INT
trap 'stop 143' TERM

# run_step COMMAND...: COMMAND in a process group of its own, waited for so that a stop is
# taken at once.
run_step() {
    setsid "$@" &
    step=$!
    step_status=0
    wait "$step" || step_status=$?
    step=""
    return "$step_status"
}

# The GUI tests need a display; start a private X server unless one is given. Xvfb picks a
# display number no other X server holds.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "FAILED: Xvfb did not start"; exit 1; }
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
fi

failed=""
summary=""
since() { echo "$(($(date +%s) - $1)) s"; }
# skip_reasons PRESET: each test ctest skipped, with the reason it gave ("skipped: ...", or its
# last line of output).
skip_reasons() {
    awk -v list="$work/$1.skipped" '
        BEGIN { while ((getline name < list) > 0) wanted[name] = 1 }
        /^[0-9]+\/[0-9]+ Testing: / { name = $0; sub(/^[0-9]+\/[0-9]+ Testing: /, "", name) }
        /^Output:$/ { output = 1; reason = ""; last = ""; next }
        /^<end of output>$/ {
            if (name in wanted) print "skipped " name ": " (reason != "" ? reason : last)
            output = 0
        }
        output && /^skipped: / { reason = substr($0, 10) }
        output && NF && !/^-+$/ { last = $0 }' "build/$1/Testing/Temporary/LastTest.log"
}
build_and_test() {
    echo "=== $1"
    started=$(date +%s)
    if ! { run_step cmake --preset "$1" >/dev/null && run_step cmake --build --preset "$1"; }; then
        failed="$failed $1(build)"
        summary="$summary$1: the build failed, $(since "$started")
"
        return
    fi
    run_step ctest --preset "$1" --output-log "$work/$1.ctest" || failed="$failed $1"
    sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$work/$1.ctest" >"$work/$1.skipped"
    tests=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$work/$1.ctest")
    failures=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$work/$1.ctest")
    skips=$(grep -c . "$work/$1.skipped" || true)
    summary="$summary$1: ${tests:-no} tests, ${failures:-?} failed, $skips skipped, $(since "$started")
"
}

# other_step NAME COMMAND...: a step without tests of ctest's.
other_step() {
    name=$1
    shift
    echo "=== $name"
    started=$(date +%s)
    outcome=passed
    run_step "$@" || { outcome=failed; failed="$failed $name"; }
    summary="$summary$name: $outcome, $(since "$started")
"
}
for preset in ci clang asan windows; do
    if wanted "$preset"; then build_and_test "$preset"; fi
done

# Where this machine cannot run 32-bit programs (a kernel without 32-bit support), the windows
# configuration skips the tests that run its program, as its configure step found; the 64-bit
# build of the same program runs them instead.
if ! wanted windows; then
    :
elif grep -qx 'PELLATONE_WINE_RUNS_PROGRAMS:INTERNAL=OFF' build/windows/CMakeCache.txt 2>/dev/null
then
    echo "This machine cannot run 32-bit programs: the 32-bit program's runs under Wine are replaced by the 64-bit build's (windows-x64)."
    build_and_test windows-x64
else
    echo "This machine runs 32-bit programs: the 32-bit program's tests ran under Wine."
fi

if wanted lint; then other_step lint ./scripts/lint.sh build/ci; fi
if wanted reproducible; then other_step reproducible ./scripts/reproducible.sh; fi
if wanted fuzz; then other_step fuzz ./scripts/fuzz.sh "${PELLATONE_FUZZ_SECONDS:-30}"; fi

echo "=== summary"
printf '%s' "$summary"
for preset in ci clang asan windows windows-x64; do
    if [ -s "$work/$preset.skipped" ]; then skip_reasons "$preset"; fi
done
if [ -n "$failed" ]; then
    echo "FAILED:$failed"
    exit 1
fi
if [ "$steps" = "$all_steps" ]; then
    echo "All configurations passed."
else
    echo "All configurations asked for passed:$(printf ' %s' $steps)."
fi
