#!/bin/sh
# The sweep itself, inside fault_sweep_test.sh's private mount namespace: one run without
# failures, then one run for each file-system call the program made in it, that call failing.
# Writes "INJECTED BROKEN" to WORK-FOLDER/out/counts and what broke to WORK-FOLDER/out/broken.
#   fault_sweep_inside.sh WORK-FOLDER PELLATONE
set -eu

# The calls failed in turn, whichever of them the program makes.
calls=openat,open,creat,read,pread64,write,pwrite64,close,close_range,fstat,newfstatat,stat,lstat
calls=$calls,statx,fchmod,fchmodat,fchown,fsync,fdatasync,rename,renameat,renameat2,link,linkat
calls=$calls,unlink,unlinkat,mkdir,getdents64,readlink,readlinkat,access,faccessat,faccessat2,lseek
calls=$calls,getcwd,chdir,fcntl,ftruncate,fallocate,dup2,dup3

work=$1
program=$2
. "$(dirname "$0")/../../support/expected_texts.sh"
. "$(dirname "$0")/runtime_tree.sh"
jvm="$work/tree/jvm"
sources="$work/tree/maradel/GsmModemJar"
runtime="$jvm/sweep-runtime"
runtime_inside="/usr/lib/jvm/sweep-runtime"
out="$work/out"
cover_system_folders "$jvm" "$work/tree/maradel"
cd "$work/tree/elsewhere"
umask 022

unset DISPLAY
destinations=""
for file in $extension_files; do destinations="$destinations $runtime/$file"; done

# The tree as it must stay but for the destinations; folders without their times.
tree_state() {
    find "$work/tree" \( -type d -printf 'd %p %m\n' \) -o \
        \( ! -path "$runtime/lib/ext/Comm.jar" ! -path "$runtime/lib/javax.comm.properties" \
        ! -path "$runtime/bin/Win32com.dll" ! -path "$runtime/lib/ext/jdc.jar" \
        -printf '%y %p %s %m %T@\n' \) | LC_ALL=C sort
}

# One run, with strace's -e option INJECTION if given. Many runs: few processes each.
run_once() {
    # Each run is judged on its own: what an earlier one left goes.
    # shellcheck disable=SC2086
    rm -f $destinations "$work/invocations" "$runtime"/bin/.[!.]* "$runtime"/lib/.[!.]* \
        "$runtime"/lib/ext/.[!.]*
    status=0
    timeout -s KILL 20 strace -qq -e signal=none -o "$out/trace" -e trace="$calls,clone,clone3" \
        ${1:+-e "$1"} "$program" >"$out/stdout" 2>"$out/stderr" || status=$?
    # A java it started has been started by now: await its end, and with it its record.
    child=""
    while read -r line; do
        case $line in clone*" = "[0-9]*) child=${line##*= } ;; esac
    done <"$out/trace"
    i=0
    while [ -n "$child" ] && [ "$i" -lt 2000 ] && read -r line 2>/dev/null <"/proc/$child/stat"; do
        case $line in *") Z "*) break ;; esac
        i=$((i + 1))
        sleep 0.01
    done
}

# What the run left, against what the step that failed allows; why not, if not, in $problem.
judge() {
    phase=$1
    problem=""
    case $status in 0 | 1 | 2) ;; *) problem="ended with status $status" && return ;; esac
    [ ! -s "$out/stdout" ] || { problem="wrote to standard output" && return; }
    present=0
    # shellcheck disable=SC2086
    sums=$(md5sum $destinations 2>/dev/null || true)
    while read -r line; do
        [ -n "$line" ] || continue
        case $expected_sums in *"$line"*) present=$((present + 1)) ;;
            *) problem="damaged: ${line#*  }" && return ;; esac
    done <<EOS
$sums
EOS
    state=$(tree_state)
    if [ "$state" != "$tree_before" ]; then
        problem="changed the tree: $(echo "$state" | grep -vxF "$tree_before" | head -n 3)"
        return
    fi
    started=no
    [ ! -f "$work/invocations" ] || started=yes
    # Harmless.
    [ "$status" -eq 0 ] && [ ! -s "$out/stderr" ] && [ "$started" = yes ] &&
        [ "$present" -eq 4 ] && return
    case $phase in
        find)
            [ "$status" -eq 2 ] && [ "$started" = no ] && [ "$present" -eq 0 ] &&
                [ "$(cat "$out/stderr")" = "$(headless "$not_installed_text")" ] && return
            ;;
        copy)
            [ "$status" -eq 0 ] && [ "$started" = yes ] &&
                is_copy_error_report "$out/stderr" "Device I/O error" && return
            ;;
        start)
            [ "$status" -eq 1 ] && [ "$started" = no ] && [ "$present" -eq 4 ] &&
                [ "$(head -n 2 "$out/stderr")" = "Pellatone: Run-time error '57':
Pellatone: " ] && sed -n 3p "$out/stderr" | grep -q '^Pellatone: Device I/O error' && return
            ;;
    esac
    problem="status $status, started: $started, $present files, standard error:
$(sed 's/^/    /' "$out/stderr")"
}

tree_before=$(tree_state)
run_once
mv "$out/trace" "$out/baseline"
for file in $extension_files; do
    cmp -s "$sources/${file##*/}" "$runtime/$file" || problem="$file not installed"
done
# shellcheck disable=SC2086
expected_sums=$(md5sum $destinations)
[ -n "${problem:-}" ] || judge find
if [ -n "$problem" ] || [ ! -f "$work/invocations" ] || [ -s "$out/stderr" ]; then
    echo "the launch without failures went wrong: $problem" >"$out/broken"
    echo "0 1" >"$out/counts"
    exit 0
fi

# The program's own calls begin where it first looks at its standard streams. Each becomes
# "CALL ORDINAL PHASE", the ordinal counted over every call of that name.
awk -v calls=",$calls," '
    { name = $0; sub(/\(.*/, "", name); count[name]++ }
    !index(calls, "," name ",") { next }
    !own && /^fcntl\(0, F_GETFD/ { own = 1 }
    own && phase == "" { phase = "find" }
    own && phase == "find" && index($0, "/lib/ext/Comm.jar\"") { phase = "copy" }
    own && phase == "copy" && /^readlink\("\/proc\/self\/exe"/ { phase = "start" }
    own { print name, count[name], phase }
' "$out/baseline" >"$out/plan"

injected=0
broken=0
: >"$out/broken"
while read -r call ordinal phase; do
    injected=$((injected + 1))
    run_once "inject=$call:error=EIO:when=$ordinal"
    judge "$phase"
    if [ -n "$problem" ]; then
        broken=$((broken + 1))
        {
            echo "$call #$ordinal ($phase): $problem"
            grep -m 1 'INJECTED' "$out/trace" | sed 's/^/    failed: /'
        } >>"$out/broken"
    fi
done <"$out/plan"
echo "$injected $broken" >"$out/counts"
