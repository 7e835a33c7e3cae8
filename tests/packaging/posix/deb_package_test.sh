#!/bin/sh
# The Debian package as users get it.
#   deb_package_test.sh BUILD-FOLDER contents
#     builds it and checks its contents and dependencies, that lintian finds nothing the
#     package's own overrides do not explain, Debian's hardening in its binaries and its desktop
#     and AppStream metadata.
#   deb_package_test.sh BUILD-FOLDER install
#     installs it with dpkg, starts the installed program headless (also through /usr/bin) and
#     removes the package again, leaving /opt as it was (no package owns it, so dpkg takes it
#     away with the last package's files). Installing changes the machine, so it runs only as
#     root and when asked: PELLATONE_SYSTEM_TESTS=1, as scripts/clean-root.sh sets in its
#     throwaway root.
set -eu
. "$(dirname "$0")/../../support/test_helpers.sh"
. "$(dirname "$0")/../../support/expected_texts.sh"
build=$1
mode=$2
opt_was_there=""
installed=""
if [ "$mode" = install ]; then
    [ "${PELLATONE_SYSTEM_TESTS:-}" = 1 ] ||
        skip "installs the package into this machine; PELLATONE_SYSTEM_TESTS=1 runs it (scripts/clean-root.sh does)"
    [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
    if dpkg -s pellatone >/dev/null 2>&1; then
        fail "a pellatone package is already installed on this machine; remove it first"
    fi
    [ ! -d /opt ] || opt_was_there=yes
fi
work=$(mktemp -d)
# Only a package this test installed is removed.
cleanup() {
    if [ -n "$installed" ]; then dpkg -r pellatone >/dev/null 2>&1 || true; fi
    if [ -n "$opt_was_there" ] && [ ! -d /opt ]; then mkdir -m 755 /opt; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

(cd "$build" && cpack -G DEB -B "$work" >/dev/null) || fail "cpack could not build the package"
deb=$(ls "$work"/pellatone_*.deb)

check_contents() {
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for path in ./opt/pellatone/pellatone ./opt/pellatone/pellatone-gui.so ./usr/share/applications/pellatone.desktop \
        ./usr/share/icons/hicolor/16x16/apps/pellatone.png \
        ./usr/share/icons/hicolor/32x32/apps/pellatone.png ./usr/bin/pellatone \
        ./usr/share/doc/pellatone/copyright ./usr/share/doc/pellatone/changelog.gz \
        ./usr/share/man/man1/pellatone.1.gz ./usr/share/lintian/overrides/pellatone \
        ./usr/share/metainfo/invalid.pellatone.pellatone.metainfo.xml; do
        printf '%s\n' "$contents" | grep -qx "$path" || fail "the package lacks $path"
    done

    # Any tag, informational ones included, fails unless a shipped override explains it, and every
    # override carries its reason (lintian shows it as N: lines right before the O: line).
    lintian_report=$(lintian --display-info --show-overrides --fail-on none "$deb" 2>/dev/null) \
        || fail "lintian: $lintian_report"
    printf '%s\n' "$lintian_report" | awk '
        !/^[NO]:/ || (/^O:/ && previous !~ /^N:/) { exit 1 }
        { previous = $0 }' || fail "lintian, tags not overridden with a reason: $lintian_report"

    # Debian's hardening in both binaries as shipped. Control-flow marking is not asked for: Debian
    # 12's own C start files carry none, so no program linked there gets it. Nor is branch
    # protection, AArch64's (BTI and PAC), which Debian 13's hardening-check also asks of an
    # x86-64 program; Debian 12's knows no such check.
    dpkg-deb -x "$deb" "$work/root"
    no_branch=$(hardening-check --help 2>&1 | grep -om1 -- --nobranchprotection || true)
    # shellcheck disable=SC2086
    hardening=$(hardening-check --nocfprotection $no_branch "$work/root/opt/pellatone/pellatone" \
        "$work/root/opt/pellatone/pellatone-gui.so") || fail "hardening-check: $hardening"

    # The desktop entry, and the AppStream metadata together with the entry it names.
    desktop-file-validate "$work/root/usr/share/applications/pellatone.desktop" \
        || fail "desktop entry invalid"
    grep -q '^Keywords=.' "$work/root/usr/share/applications/pellatone.desktop" \
        || fail "the desktop entry has no Keywords"
    appstream_report=$(appstreamcli validate-tree --no-net "$work/root" 2>&1) \
        || fail "appstreamcli: $appstream_report"

    depends=$(dpkg-deb -f "$deb" Depends)
    # FLTK is linked into the windows module; the X and font libraries it calls are not.
    for library in libx11-6 libxft2 libgif7 libc6; do
        printf '%s\n' "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
    done
}

install_and_start() {
    installed=yes
    dpkg -i "$deb" >/dev/null || fail "dpkg could not install the package"
    [ -x /opt/pellatone/pellatone ] || fail "the program is not installed"
    [ -f /opt/pellatone/pellatone-gui.so ] || fail "the windows module is not installed"
    grep -qx 'Name=Pellatone' /usr/share/applications/pellatone.desktop || fail "desktop entry Name"
    grep -qx 'Categories=Network;' /usr/share/applications/pellatone.desktop \
        || fail "desktop entry Categories"

    # Headless, on a machine with no Java runtime (an empty /usr/lib/jvm in a private namespace),
    # the installed program says so and ends with status 2.
    status=0
    unshare -m --propagation private sh -c '
        mount -t tmpfs tmpfs /usr/lib/jvm
        [ -d /usr/lib64/jvm ] && mount -t tmpfs tmpfs /usr/lib64/jvm
        exec env -u DISPLAY /opt/pellatone/pellatone' >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 2 ] || fail "the installed program ended with $status, not 2: $(cat "$work/err")"
    [ "$(cat "$work/err")" = "$(headless "$not_installed_text")" ] ||
        fail "unexpected messages: $(cat "$work/err")"

    # Started through /usr/bin/pellatone, it still finds its own folder (through /proc/self/exe): a
    # stand-in runtime's java records the working folder and class path it is started with.
    [ "$(readlink /usr/bin/pellatone)" = /opt/pellatone/pellatone ] || fail "/usr/bin/pellatone link"
    runtime="$work/jvm/stand-in"
    mkdir -p "$runtime/bin" "$runtime/lib/ext"
    echo 'JAVA_VERSION="1.8.0_392"' >"$runtime/release"
    for file in lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar; do
        : >"$runtime/$file"
    done
    cat >"$runtime/bin/java" <<EOF
#!/bin/sh
{ pwd; printf '%s\\n' "\$2"; } >"$work/record.part" && mv "$work/record.part" "$work/record"
EOF
    chmod +x "$runtime/bin/java"
    status=0
    unshare -m --propagation private sh -c '
        mount --bind "$1" /usr/lib/jvm
        [ -d /usr/lib64/jvm ] && mount -t tmpfs tmpfs /usr/lib64/jvm
        cd / && exec env -u DISPLAY pellatone' sh "$work/jvm" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 0 ] || fail "pellatone from /usr/bin ended with $status: $(cat "$work/err")"
    await 10 '[ -f "$work/record" ]' || fail "the stand-in java was not started within 10 s"
    [ "$(sed -n 1p "$work/record")" = /opt/pellatone ] || fail "started in $(sed -n 1p "$work/record")"
    sed -n 2p "$work/record" | grep -q '^/opt/pellatone/Vexmora/lib/comm\.jar:' \
        || fail "class path: $(sed -n 2p "$work/record")"

    dpkg -r pellatone >/dev/null || fail "dpkg could not remove the package"
    [ ! -e /opt/pellatone/pellatone ] || fail "the program is still there after removal"
    [ ! -e /opt/pellatone/pellatone-gui.so ] || fail "the windows module is still there after removal"
    [ ! -e /usr/share/applications/pellatone.desktop ] || fail "the desktop entry is still there"
    [ ! -L /usr/bin/pellatone ] || fail "/usr/bin/pellatone is still there after removal"
}

case $mode in
    contents)
        check_contents
        echo "deb package: built, complete, lintian-clean, hardened, metadata valid"
        ;;
    install)
        install_and_start
        echo "deb package: installed, started (also through /usr/bin) and removed"
        ;;
    *) fail "unknown mode $mode" ;;
esac
