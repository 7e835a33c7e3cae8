#!/bin/sh
# Signs the Windows program with SIGN_SH (scripts/sign.sh) and a throwaway CA's code-signing
# certificate: the signed program verifies against that CA, two signings are the same bytes, each
# bad input is refused with a non-zero status and one line, nothing changed or left beside the
# program, and once a byte of its code changes the program no longer verifies. Leaves a signed
# copy at SIGNED (its folder there) for the end-to-end runs under Wine.
#   signing_test.sh <SIGN_SH> <pellatone.exe> <objdump> <SIGNED>
set -eu
. "$(dirname "$0")/../../support/test_helpers.sh"
use_work_folder
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -subj /CN=CA -days 2 -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout key.pem -subj /CN=Vendor -out key.csr 2>/dev/null
# certificate NAME DAYS PURPOSE: NAME.p12 (password "pw", with the CA's certificate), issued by the
# CA for DAYS days (0: expired the moment it was made) and the extended key usage PURPOSE.
certificate() {
    echo "extendedKeyUsage=$3" | openssl x509 -req -in key.csr -CA ca.pem -CAkey ca.key \
        -days "$2" -extfile /dev/stdin -out "$1.pem" 2>/dev/null
    openssl pkcs12 -export -inkey key.pem -in "$1.pem" -certfile ca.pem -passout pass:pw -out "$1.p12"
}
certificate vendor 1 codeSigning
certificate expired 0 codeSigning
certificate server 1 serverAuth

for copy in "$4" second.exe unsigned.exe; do cp "$2" "$copy"; done
for copy in "$4" second.exe; do echo pw | SOURCE_DATE_EPOCH=1700000000 "$1" vendor.p12 "$copy"; done
# By the CA's certificate, naming the program, at SOURCE_DATE_EPOCH.
[ "$(osslsigncode verify -CAfile ca.pem -in "$4" | grep -c -e '^Signature verification: ok' \
    -e 'description: Pellatone$' -e 'time: Nov 14 22:13:20 2023')" = 3 ] || fail "not as signed"
cmp -s "$4" second.exe || fail "two signings of the same program differ"

# Each refused with exactly this line, no file changed, none left behind. A folder stands for an
# unreadable file, which root could read all the same.
mkdir folder.exe
state() { { find .; find . -type f -exec cksum {} +; } | sort; }
before=$(state)
while read -r password certificate program expected; do
    said=$(echo "$password" | "$1" "$certificate" "$program" 2>&1 && echo "exit status 0" || true)
    [ "$said" = "sign.sh: $expected" ] || fail "$certificate $program: [$said], not [$expected]"
    [ "$(state)" = "$before" ] || fail "$certificate $program: files changed or were left behind"
done <<'ROWS'
wrong vendor.p12 unsigned.exe cannot open vendor.p12: give its password on standard input
pw missing.p12 unsigned.exe cannot read missing.p12: name a readable PKCS#12 (.p12) file
pw vendor.p12 folder.exe cannot read folder.exe or write beside it: name a program in a writable folder
pw expired.p12 unsigned.exe expired.p12 has expired: use a valid certificate
pw server.p12 unsigned.exe server.p12 is not for code signing: use a code-signing certificate
pw vendor.p12 second.exe second.exe is signed already: sign the program as built, not a signed one
ROWS

# One byte of the code, past .text's first 64 bytes, changed.
at=$((0x$("$3" -h second.exe | awk '$2 == ".text" { print $6 }') + 64))
printf "\\$(printf %o $((($(od -An -tu1 -j "$at" -N 1 second.exe) + 1) % 256)))" |
    dd of=second.exe bs=1 seek="$at" conv=notrunc 2>/dev/null
! osslsigncode verify -CAfile ca.pem -in second.exe >/dev/null 2>&1 || fail "a changed byte verifies"
