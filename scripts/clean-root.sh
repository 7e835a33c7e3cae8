#!/bin/sh
# Runs the README's two commands as a new user would: in a Debian 13 or 12 root bootstrapped
# afresh, on a fresh clone of COMMIT (default HEAD; uncommitted changes are not part of the run)
# with a copy of ../shared beside it. First ./scripts/run.sh without a display, then
# ./scripts/test.sh (given STEPs: only those, as test.sh takes them).
# The host only makes and enters the root; nothing installed on it can make the run pass.
#   scripts/clean-root.sh [trixie|13|bookworm|12] [COMMIT] [-- STEP...]
# The release defaults to trixie (Debian 13). Its mirror and suites are the host's own apt
# sources' for Debian 12 or 13, with the release's name put in.
# As root. The root is unpacked under ${TMPDIR:-/var/tmp} and deleted afterwards, also on
# failure or when stopped. It runs in namespaces of its own (mount, PID, network, UTS, IPC):
# no mount or process outlives the run, and its X servers cannot meet the host's.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd -P)
release=trixie
revision=HEAD
while [ $# -gt 0 ]; do
    case $1 in
    trixie | 13) release=trixie ;;
    bookworm | 12) release=bookworm ;;
    --) shift; break ;;
    *) revision=$1 ;;
    esac
    shift
done
case $release in trixie) version=13 ;; *) version=12 ;; esac
commit=$(git -C "$repo" rev-parse --verify "$revision^{commit}")
# The steps for test.sh, each checked here so that no word reaches the inner shell unquoted.
steps=""
for step in "$@"; do
    case $step in
    *[!a-z0-9-]* | "") echo "clean-root.sh: not a step: $step" >&2; exit 1 ;;
    esac
    steps="$steps $step"
done
[ "$(id -u)" -eq 0 ] || { echo "clean-root.sh: run it as root" >&2; exit 1; }

. "$repo/scripts/retry.sh"

# The host's own tools for making and entering the root.
missing=""
command -v debootstrap >/dev/null || missing="$missing debootstrap"
command -v slirp4netns >/dev/null || missing="$missing slirp4netns"
for tool in unshare mount pivot_root; do
    command -v "$tool" >/dev/null || missing="$missing util-linux mount"
done
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    retry "apt-get update" apt-get update -q
    # shellcheck disable=SC2086
    retry "installing$missing" apt-get install -y -q --no-install-recommends $missing
fi

# The host's apt sources, "URI SUITE" a line, from both apt source formats.
host_sources() {
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                            print $i, $(i + 1) }' "$list"
    done
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] || continue
        awk 'function flush() { if (types ~ /(^| )deb( |$)/ && enabled !~ /^no$/)
                                  for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++)
                                      print uris[u], suites[s]
                              types = ""; enabled = ""; nu = 0; ns = 0 }
             /^[ \t]*#/ { next }
             /^[ \t]*$/ { flush(); next }
             { field = tolower($1); sub(/:$/, "", field) }
             field == "types" { types = $0; sub(/^[^:]*:[ \t]*/, "", types) }
             field == "enabled" { enabled = $2 }
             field == "uris" { for (i = 2; i <= NF; i++) uris[++nu] = $i }
             field == "suites" { for (i = 2; i <= NF; i++) suites[++ns] = $i }
             END { flush() }' "$list"
    done
}
# A Debian 12 host's mirrors serve Debian 13 too (and the other way round), under the same
# suite names with the release's put in: trixie, trixie-updates, trixie-security.
sources=$(host_sources | awk -v release="$release" '
    $2 ~ /^(bookworm|trixie)(-updates|-security)?$/ { suite = $2; sub(/^[a-z]+/, release, suite)
                                                       print $1, suite }' | sort -u)
mirror=$(echo "$sources" | awk -v release="$release" '$2 == release { print $1; exit }')
[ -n "$mirror" ] ||
    { echo "clean-root: the host's apt sources name no Debian 12 or 13 mirror" >&2; exit 1; }

base=$(mktemp -d "${TMPDIR:-/var/tmp}/pellatone-clean-root.XXXXXX")
root="$base/root"
namespace=""
network=""
cleanup() {
    for pid in $namespace $network; do kill -KILL "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    # The mounts lived in the namespace alone; with it gone, the root is plain files.
    rm -rf --one-file-system "$base"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
started=$(date +%s)
elapsed() { echo "$(($(date +%s) - started)) s"; }

# An older debootstrap may lack the release's script; every current release's is sid's.
if [ ! -e "${DEBOOTSTRAP_DIR:-/usr/share/debootstrap}/scripts/$release" ]; then
    cp -a "${DEBOOTSTRAP_DIR:-/usr/share/debootstrap}" "$base/debootstrap"
    ln -s sid "$base/debootstrap/scripts/$release"
    DEBOOTSTRAP_DIR="$base/debootstrap"
    export DEBOOTSTRAP_DIR
fi
echo "=== clean root: bootstrapping Debian $version ($release) from $mirror"
bootstrap() {
    rm -rf --one-file-system "$root"
    debootstrap --variant=minbase "$release" "$root" "$mirror" >"$base/debootstrap.log" 2>&1 ||
        { tail -n 20 "$base/debootstrap.log" >&2; return 1; }
}
retry "debootstrap" bootstrap
echo "$sources" | awk '{ print "deb", $1, $2, "main" }' >"$root/etc/apt/sources.list"
printf '127.0.0.1\tlocalhost\n127.0.1.1\tpellatone-clean-root\n::1\tlocalhost ip6-localhost ip6-loopback\n' \
    >"$root/etc/hosts"
echo pellatone-clean-root >"$root/etc/hostname"
# slirp4netns answers DNS itself where the host's resolver sits on the host's own loopback.
if grep -Eq '^nameserver[[:space:]]+(127\.|::1)' /etc/resolv.conf; then
    echo "nameserver 10.0.2.3" >"$root/etc/resolv.conf"
else
    cp /etc/resolv.conf "$root/etc/resolv.conf"
fi
# apt retries a dropped download itself.
echo 'Acquire::Retries "3";' >"$root/etc/apt/apt.conf.d/80retries"
git clone -q --no-checkout "$repo" "$root/root/pellatone"
git -C "$root/root/pellatone" checkout -q --detach "$commit"
if [ -d "$repo/../shared" ]; then cp -a "$repo/../shared" "$root/root/shared"; fi
echo "=== clean root: Debian $version ready after $(elapsed), commit $(git -C "$repo" rev-parse --short "$commit")"

# Inside the new namespaces: wait for the network, mount what a machine has, make the root the
# root, and run the two commands as root in a login's plain environment. PID 1 (this shell)
# waits, and so reaps what the tests leave to it.
cat >"$base/enter.sh" <<'EOS'
set -eu
root=$1
steps=$2
for _ in $(seq 300); do grep -q tap0 /proc/net/route && break; sleep 0.1; done
grep -q tap0 /proc/net/route || { echo "clean-root: the network did not come up" >&2; exit 1; }
hostname pellatone-clean-root
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
mount -t tmpfs -o mode=1777,nosuid,nodev tmp "$root/tmp"
cd "$root"
mkdir -p .old-root
pivot_root . .old-root
cd /
umount -l /.old-root
rmdir /.old-root
env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    USER=root LOGNAME=root SHELL=/bin/sh PELLATONE_SYSTEM_TESTS=1 STEPS="$steps" \
    sh -c 'cd /root/pellatone
           took() { echo "=== clean root: $1 passed in $(($(date +%s) - started)) s"; }
           started=$(date +%s) && echo "=== clean root: ./scripts/run.sh" && ./scripts/run.sh &&
           took run.sh && started=$(date +%s) && echo "=== clean root: ./scripts/test.sh" &&
           ./scripts/test.sh $STEPS && took test.sh' &
wait $!
EOS
unshare --mount --propagation private --pid --fork --kill-child --net --uts --ipc \
    sh "$base/enter.sh" "$root" "$steps" &
namespace=$!
# slirp4netns joins the network namespace of that process, so only once it has its own.
host_network=$(readlink /proc/self/ns/net)
for _ in $(seq 300); do
    [ "$(readlink "/proc/$namespace/ns/net" 2>/dev/null || true)" = "$host_network" ] || break
    sleep 0.1
done
slirp4netns --configure --mtu=65520 --disable-host-loopback "$namespace" tap0 \
    >"$base/slirp4netns.log" 2>&1 &
network=$!
status=0
wait "$namespace" || status=$?
namespace=""
if [ "$status" -ne 0 ] && [ -s "$base/slirp4netns.log" ]; then
    echo "--- slirp4netns" >&2
    tail -n 5 "$base/slirp4netns.log" >&2
fi
echo "=== clean root: Debian $version ended with status $status after $(elapsed)"
exit "$status"
