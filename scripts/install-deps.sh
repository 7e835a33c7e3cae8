#!/bin/sh
# Installs, as root on Debian 13 or 12, whatever the build and the tests need and is not there yet.
#   install-deps.sh run    what building and running the Linux program needs
#   install-deps.sh test   all of that, plus the Windows cross-compilers (32- and 64-bit, the
#                          latter for machines that cannot run 32-bit programs), Wine, Xvfb and
#                          the tools
set -eu
purpose=${1:-test}

# FLTK is linked into the windows module statically (fltk-config --ldstaticflags), which needs the
# development files of every X library it uses, not only libx11-dev's.
packages="cmake ninja-build g++ pkg-config libfltk1.3-dev libgif-dev libx11-dev libxext-dev
    libxrender-dev libxfixes-dev libxcursor-dev libxinerama-dev libxft-dev libfontconfig-dev
    default-jre-headless"
if [ "$purpose" = test ]; then
    # default-jre brings the JDK's splash screen (libsplashscreen), the splash benchmark's yardstick.
    packages="$packages googletest libgtest-dev libgmock-dev clang clang-tidy clang-format
        libclang-rt-dev default-jdk-headless default-jre g++-mingw-w64-i686-posix binutils-mingw-w64-i686
        g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        wine wine64 wine32:i386 xvfb xdotool x11-utils imagemagick locales util-linux dpkg-dev file
        zip unzip desktop-file-utils lintian python3 devscripts appstream
        strip-nondeterminism git strace libxdamage-dev icoutils e2fsprogs"
    # The Windows program is 32-bit: Wine runs it in a 64-bit prefix with its 32-bit half, an
    # i386 package (the update below then fetches that architecture's lists too).
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # The vendor's signing step, scripts/sign.sh, and its test.
    packages="$packages osslsigncode openssl"
fi

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing="$missing $package"
done
. "$(dirname "$0")/retry.sh"
# quiet_apt_get ARGUMENT...: apt-get, its chatter kept back unless it fails.
quiet_apt_get() {
    apt-get -q "$@" >"$apt_log" 2>&1 || { tail -n 15 "$apt_log" >&2; return 1; }
}

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    started=$(date +%s)
    apt_log=$(mktemp)
    trap 'rm -f "$apt_log"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    export DEBIAN_FRONTEND=noninteractive
    retry "apt-get update" quiet_apt_get update
    # shellcheck disable=SC2086
    retry "apt-get install" quiet_apt_get install -y --no-install-recommends $missing
    echo "Installed in $(($(date +%s) - started)) s."
fi

if [ "$purpose" = test ]; then
    # The number-reading tests switch to a locale whose decimal separator is a comma.
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null \
            || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    fi
fi
