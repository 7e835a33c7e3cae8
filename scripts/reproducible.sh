#!/bin/sh
# Builds the artefacts users download (scripts/release.sh: the Debian package, the Windows zip, the
# pellatone.exe inside it and their SHA256SUMS) twice, from two clones of the current commit at
# different paths and a few seconds apart, and compares them byte for byte. Prints each
# artefact's SHA-256.
#   scripts/reproducible.sh
set -eu
cd "$(dirname "$0")/.."
commit=$(git rev-parse HEAD)
git diff --quiet HEAD || echo "note: uncommitted changes are not part of the comparison" >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

build() {
    clone=$1
    out=$2
    git clone -q --no-checkout . "$clone"
    git -C "$clone" checkout -q "$commit"
    (cd "$clone" && scripts/release.sh >/dev/null) \
        || { echo "FAIL: the build in $clone failed" >&2; exit 1; }
    cp -R "$clone/build/dist" "$out"
}

build "$work/first/pellatone" "$work/out1"
sleep 3
build "$work/second-at-another-path/src/pellatone" "$work/out2"

failed=0
for file in $(cd "$work/out1" && ls); do
    sha256sum "$work/out1/$file" "$work/out2/$file" | sed "s|$work/||"
    if ! cmp -s "$work/out1/$file" "$work/out2/$file"; then
        echo "FAIL: $file differs between the two builds:" >&2
        cmp -l "$work/out1/$file" "$work/out2/$file" | head -5 >&2 || true
        failed=1
    fi
done
[ "$failed" -eq 0 ] || exit 1
echo "reproducible: $(cd "$work/out1" && ls | tr '\n' ' ')identical in both builds"
