#!/bin/sh
# Installs what is missing, builds the Linux program and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/bin/pellatone
