#!/bin/sh
# The real program, without a display, on a launch that installs all four extension files, with
# one failure (EIO, through strace) injected in turn into each file-system call the program
# itself makes (those the loader makes before it runs are not its own). After every run, each
# destination is absent or identical to its source, no temporary file is left, nothing else in
# the tree has changed, the program has ended within 20 s and not by a signal, and its standard
# error holds what the failing step's error path says, or nothing when the failure was harmless:
#   before the installation: nothing, or the runtime unseen ("not installed", status 2);
#   during it: nothing, or the failure's text then "Error While Copying JAR File", launched;
#   at the start: nothing, or the uncaught-error report (status 1), nothing started.
# Prints "fault sweep: N injected failures, M broken" and fails when M > 0.
#   fault_sweep_test.sh PELLATONE WORK-FOLDER
# Needs root (private mount namespace) and strace; exits 77 (skipped) without them.
set -eu

program=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd -P)
. "$here/../../support/test_helpers.sh"
. "$here/runtime_tree.sh"
require_namespace
command -v strace >/dev/null || skip "strace is not installed"
strace -qq -o /dev/null -e inject=getpid:error=EIO:when=1 true 2>/dev/null ||
    skip "strace cannot trace here"

rm -rf "$work"
mkdir -p "$work/out"
work=$(cd "$work" && pwd -P)
cleanup() {
    cd /
    [ -n "${PELLATONE_KEEP_WORK:-}" ] || rm -rf "$work"
    restore_opt
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
jvm="$work/tree/jvm"
sources="$work/tree/maradel/GsmModemJar"
mkdir -p "$sources" "$work/tree/app" "$work/tree/elsewhere"
mkdir -p "$jvm/sweep-runtime/bin" "$jvm/sweep-runtime/lib/ext"
printf 'JAVA_VERSION="17.0.15"\n' >"$jvm/sweep-runtime/release"
# A java that only notes that it was started, quickly.
printf '#!/bin/sh\necho "$0 $*" >>"%s/invocations"\n' "$work" >"$jvm/sweep-runtime/bin/java"
chmod 755 "$jvm/sweep-runtime/bin/java"
make_sources
cp "$program" "$work/tree/app/pellatone"

timeout -k 5 280 unshare -m --propagation private \
    sh "$here/fault_sweep_inside.sh" "$work" "$work/tree/app/pellatone" ||
    fail "the namespace could not be set up or the sweep did not end"
read -r injected broken <"$work/out/counts" || fail "the sweep left no counts"
echo "fault sweep: $injected injected failures, $broken broken"
[ "$broken" -eq 0 ] && [ "$injected" -gt 0 ] || fail "$(cat "$work/out/broken")"
