#!/bin/sh
# Checks the formatting of all C++ sources and runs clang-tidy over the program's own Linux
# sources, using the compile commands of the given build folder (default build/ci).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/ci}

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The Windows sources need the mingw headers; the cross build compiles them with -Werror instead.
sources=$(git ls-files 'src/*.cpp' | grep -v 'win32' || true)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# shellcheck disable=SC2086
if ! clang-tidy -p "$build" --quiet $sources >"$report" 2>&1; then
    cat "$report"
    echo "lint: clang-tidy found problems"
    exit 1
fi
echo "lint: formatting and clang-tidy clean"
