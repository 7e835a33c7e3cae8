#!/bin/sh
# Builds what users download into build/dist: the Debian package, the Windows zip, the program the
# zip holds (pellatone.exe) and SHA256SUMS listing the three. With --sign, the Windows program is
# signed by scripts/sign.sh with the vendor's PKCS#12 file before it is zipped, the password read
# from standard input; --url and --timestamp are passed on to it.
#   scripts/release.sh [--sign CERTIFICATE.p12 [--url URL] [--timestamp URL]] [< password-file]
set -eu
certificate=""
url=""
timestamp=""
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || { echo "release.sh: $1 needs a value" >&2; exit 1; }
    case $1 in
    --sign) certificate=$(realpath "$2") ;;
    --url) url=$2 ;;
    --timestamp) timestamp=$2 ;;
    *) echo "release.sh: unknown option $1: use --sign CERTIFICATE.p12, --url URL, --timestamp URL" >&2
       exit 1 ;;
    esac
    shift 2
done
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -G DEB)
# Its own build folder: the windows preset's keeps its tests.
cmake --preset windows -B build/windows-release -DPELLATONE_BUILD_TESTS=OFF >/dev/null
cmake --build build/windows-release
(cd build/windows-release && cpack -G ZIP ${certificate:+-D "PELLATONE_SIGNING_CERTIFICATE=$certificate"} \
    ${url:+-D "PELLATONE_SIGNING_URL=$url"} ${timestamp:+-D "PELLATONE_SIGNING_TIMESTAMP=$timestamp"})

rm -rf build/dist
mkdir build/dist
cp build/release/pellatone_*_amd64.deb build/windows-release/pellatone-*-windows-x86.zip build/dist/
unzip -q build/dist/pellatone-*-windows-x86.zip pellatone.exe -d build/dist
(cd build/dist && sha256sum -- *.deb *.zip pellatone.exe >SHA256SUMS)
echo "release files in build/dist:"
cat build/dist/SHA256SUMS
