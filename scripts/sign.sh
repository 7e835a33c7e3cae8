#!/bin/sh
# Signs the Windows program in place with a vendor's code-signing certificate (Authenticode,
# SHA-256, through osslsigncode), the PKCS#12 file's password read from standard input. The
# signing time is SOURCE_DATE_EPOCH (by default the time of the commit checked out, as for the
# packages), so the same program and the same RSA certificate sign to the same bytes; a timestamp
# server's countersignature (--timestamp, off by default) differs at every signing.
#   scripts/sign.sh [--url URL] [--timestamp URL] CERTIFICATE.p12 PROGRAM.exe < password-file
set -eu

# fail MESSAGE: one line saying what is wrong and what to do; the program is left as it was.
fail() {
    echo "sign.sh: $*" >&2
    exit 1
}

url=""
timestamp=""
while [ $# -gt 2 ]; do
    case $1 in
    --url) url=$2 ;;
    --timestamp) timestamp=$2 ;;
    *) fail "unknown option $1: use --url URL or --timestamp URL" ;;
    esac
    shift 2
done
[ $# -eq 2 ] || fail "use sign.sh [--url URL] [--timestamp URL] CERTIFICATE.p12 PROGRAM.exe"
certificate=$1
program=$2
for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null || fail "$tool is missing: install it (apt-get install $tool)"
done
if [ ! -f "$certificate" ] || [ ! -r "$certificate" ]; then
    fail "cannot read $certificate: name a readable PKCS#12 (.p12) file"
fi
if [ ! -f "$program" ] || [ ! -r "$program" ] || [ ! -w "$(dirname "$program")" ]; then
    fail "cannot read $program or write beside it: name a program in a writable folder"
fi
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || date +%s)}
case $epoch in
'' | *[!0-9]*) fail "SOURCE_DATE_EPOCH is not a number of seconds: set it to one, or unset it" ;;
esac

# The password stays in this shell: it reaches openssl and osslsigncode through pipes (printf is
# a shell builtin), never through a command line or a file.
private=$(mktemp -d)
staging=""
trap 'rm -rf "$private" ${staging:+"$staging"}; [ ! -t 0 ] || stty echo' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
if [ -t 0 ]; then
    printf 'Password of %s: ' "$certificate" >&2
    stty -echo
fi
password=""
IFS= read -r password || true
[ ! -t 0 ] || echo >&2

# read_certificates OPTION...: the PKCS#12 file's certificates, as PEM, on standard output.
read_certificates() {
    printf '%s' "$password" | openssl pkcs12 -in "$certificate" -passin stdin -nokeys "$@" \
        2>/dev/null
}
# Files exported by older tools use ciphers OpenSSL 3 keeps among its legacy ones.
read_certificates -clcerts >"$private/signer.pem" || read_certificates -clcerts -legacy \
    >"$private/signer.pem" || fail "cannot open $certificate: give its password on standard input"
openssl x509 -in "$private/signer.pem" -noout -checkend 0 >/dev/null ||
    fail "$certificate has expired: use a valid certificate"
openssl x509 -in "$private/signer.pem" -noout -ext extendedKeyUsage | grep -q 'Code Signing' ||
    fail "$certificate is not for code signing: use a code-signing certificate"
if osslsigncode extract-signature -in "$program" -out "$private/signature" >/dev/null 2>&1; then
    fail "$program is signed already: sign the program as built, not a signed one"
fi

set -- -h sha256 -n Pellatone -time "$epoch"
[ -z "$url" ] || set -- "$@" -i "$url"
[ -z "$timestamp" ] || set -- "$@" -ts "$timestamp"
# Written into a folder beside the program and renamed over it only once verified. The check
# trusts the certificates the PKCS#12 file carries as well as the system's, and looks up no
# revocation list: the signature must be whole and match the program.
staging=$(mktemp -d "$(dirname "$program")/.signing.XXXXXX")
signed="$staging/$(basename "$program")"
printf '%s' "$password" | osslsigncode sign -pkcs12 "$certificate" -readpass /dev/stdin "$@" \
    -in "$program" -out "$signed" >"$private/log" 2>&1 ||
    fail "osslsigncode could not sign $program: $(grep -v '^Failed' "$private/log" | tail -n 1)"
{ read_certificates || read_certificates -legacy; } >"$private/trusted.pem"
cat /etc/ssl/certs/ca-certificates.crt >>"$private/trusted.pem" 2>/dev/null || true
set -- -CAfile "$private/trusted.pem"
if osslsigncode -h 2>&1 | grep -q -- -ignore-cdp; then set -- "$@" -ignore-cdp; fi
osslsigncode verify "$@" -in "$signed" >"$private/log" 2>&1 ||
    fail "the signed program does not verify: add the issuers' certificates to $certificate"
chmod "$(stat -c %a "$program")" "$signed"
mv -f "$signed" "$program"
echo "signed $program"
