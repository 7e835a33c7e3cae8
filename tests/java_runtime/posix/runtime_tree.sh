# Sourced by the end-to-end tests of the extension's installation, after
# tests/support/test_helpers.sh: the runtime trees they lay out and cover /usr/lib/jvm and
# /opt/maradel with in a private mount namespace, and the checks they share. The functions write
# into $work (invocations, java-pids) and lay runtimes out in $jvm; make_sources fills $sources.
# is_copy_error_report takes its text from tests/support/expected_texts.sh.

# Inside the namespace: JVM-FOLDER covers /usr/lib/jvm, an empty tmpfs /usr/lib64/jvm (when there
# is one) and MARADEL-FOLDER /opt/maradel, so nothing of the machine's is read as a runtime or
# written to. MACHINE-JDK, when given, is bound read-only into JVM-FOLDER/zz-machine-jdk.
#   cover_system_folders JVM-FOLDER MARADEL-FOLDER [MACHINE-JDK]
cover_system_folders() {
    if [ -n "${3:-}" ]; then
        mount --bind -o ro "$3" "$1/zz-machine-jdk"
        if [ -w "$1/zz-machine-jdk" ]; then
            echo "the machine's JDK could not be bound read-only" >&2
            return 1
        fi
    fi
    mount --rbind "$1" /usr/lib/jvm
    if [ -d /usr/lib64/jvm ]; then mount -t tmpfs -o mode=0755 none /usr/lib64/jvm; fi
    if [ ! -d /opt/maradel ]; then
        # A folder of our own in a tmpfs, never one on the machine.
        mount -t tmpfs -o mode=0755 none /opt
        mkdir /opt/maradel
    fi
    mount --bind "$2" /opt/maradel
}

# Exits 77 (skipped) where the namespace cannot be had. A machine without /opt gets an empty one
# to mount on, which restore_opt takes away again.
require_namespace() {
    [ "$(id -u)" -eq 0 ] || skip "a private mount namespace needs root"
    command -v unshare >/dev/null || skip "unshare is not installed"
    unshare -m --propagation private true 2>/dev/null || skip "unshare -m is not permitted here"
    [ -d /usr/lib/jvm ] || skip "there is no /usr/lib/jvm to cover"
    if [ ! -d /opt ]; then
        mkdir -m 755 /opt
        opt_made=yes
    fi
}

# Leaves /opt as the test found it.
restore_opt() {
    if [ -n "${opt_made:-}" ]; then rmdir /opt 2>/dev/null || true; fi
}

# A java that records how it was started (and the signals it was left ignoring), then becomes
# REAL-JAVA, or fails when none is given.
#   make_java FILE [REAL-JAVA]
make_java() {
    cat >"$1" <<EOS
#!/bin/sh
{
    printf 'program=%s\n' "\$0"
    printf 'folder=%s\n' "\$(pwd -P)"
    for argument; do printf 'argument=%s\n' "\$argument"; done
} >>'$work/invocations'
grep '^SigIgn:' /proc/\$\$/status >>'$work/ignored-signals'
echo \$\$ >>'$work/java-pids'
EOS
    if [ -n "${2:-}" ]; then
        printf 'exec %s "$@"\n' "'$2'" >>"$1"
    else
        echo "exit 1" >>"$1"
    fi
    chmod 755 "$1"
}

# A runtime folder under $jvm, with the folders the extension goes into.
#   make_runtime NAME VERSION [REAL-JAVA]
make_runtime() {
    mkdir -p "$jvm/$1/bin" "$jvm/$1/lib/ext"
    printf 'IMPLEMENTOR="Pellatone tests"\nJAVA_VERSION="%s"\n' "$2" >"$jvm/$1/release"
    make_java "$jvm/$1/bin/java" "${3:-}"
}

# The four extension files in $sources: distinct contents, jdc.jar longer than the copy's buffer.
make_sources() {
    printf 'PK\003\004 Comm.jar\000\377\n' >"$sources/Comm.jar"
    printf 'driver=com.sun.comm.Win32Driver\r\n' >"$sources/javax.comm.properties"
    printf 'MZ\220\000 Win32com.dll\n' >"$sources/Win32com.dll"
    seq 1 40000 >"$sources/jdc.jar"
}

# Where each extension file goes in a runtime, in the order they are installed.
extension_files="lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar"

# Every entry under FOLDER with its type, size, inode and modification time.
snapshot() {
    (cd "$1" && find . -printf '%y %p %s %i %T@\n' | LC_ALL=C sort)
}

# The names in FOLDER, hidden ones too, on one line.
names_in() {
    (cd "$1" && find . -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort | tr '\n' ' ')
}

# Whether FILE holds what the installation's error path writes headless: the failure's text TEXT
# at the start of the first line (details may follow it, on that line and the next ones), and
# the copy's failure as the last line; every line a "Pellatone: " one.
is_copy_error_report() {
    case $(head -n 1 "$1") in "Pellatone: $2"*) ;; *) return 1 ;; esac
    [ "$(wc -l <"$1")" -ge 2 ] &&
        [ "$(tail -n 1 "$1")" = "$(headless "$copying_failed_text")" ] &&
        ! grep -qv '^Pellatone: ' "$1"
}

# Whether signal NUMBER is among those the last "SigIgn:" line (of /proc/PID/status) in FILE names.
signal_ignored() {
    mask=$(sed -n 's/^SigIgn:[[:space:]]*//p' "$1" | tail -n 1)
    [ $(( (0x$mask >> ($2 - 1)) & 1 )) -eq 1 ]
}
