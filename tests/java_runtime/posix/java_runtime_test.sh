#!/bin/sh
# The real program, without a display, choosing among Java runtimes laid out by the test and
# installing the serial extension into the chosen one before it starts a stand-in Vexmora.
#
# Each run of the program happens in a private mount namespace in which the test's own trees
# cover /usr/lib/jvm (and /usr/lib64/jvm, when there is one) and /opt/maradel, so nothing of the
# machine's is read as a runtime or written to. The machine's JDK, which runs the stand-in, is
# bound into the covering tree read-only.
#
#   java_runtime_test.sh SCENARIO PELLATONE
#
# SCENARIO: no_runtime, too_old_runtime, copies_and_launches, missing_source_file,
# missing_middle_source_file, damaged_file_kept, quoted_folders, hostile_sources,
# interrupted_copy, killed_copy, broken_stderr, removed_working_folder, refused_copy or
# file_size_limit.
# The tree is laid out in a new folder under /tmp that every user can enter, as the
# runs as nobody need, wherever the checkout lies. Needs root for the namespace; exits 77
# (skipped) without it.
set -eu
scenario=$1
program=$2
here=$(cd "$(dirname "$0")" && pwd -P)
. "$here/../../support/test_helpers.sh"
. "$here/../../support/expected_texts.sh"
. "$here/../../platform/posix/stand_in.sh"
. "$here/runtime_tree.sh"
require_namespace

# Whether process PID is still a java started by this test (its number may have been reused).
is_stand_in() {
    tr '\0' '\n' <"/proc/$1/cmdline" 2>/dev/null | grep -qF "$app/Vexmora"
}

cleanup() {
    # The stand-in JVMs run in sessions of their own: end any still there.
    if [ -f "$work/java-pids" ]; then
        while read -r pid; do
            if is_stand_in "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
        done <"$work/java-pids"
    fi
    cd /
    rm -rf "$work"
    restore_opt
}

show_failure() {
    show_files "$work/status" "$work/stdout" "$work/stderr" "$work/invocations" "$work/record.txt"
}

work=$(mktemp -d "/tmp/pellatone-$scenario.XXXXXX")
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
chmod 755 "$work"
work=$(cd "$work" && pwd -P)
case $work in *"'"*) fail "the work folder's path holds a quote" ;; esac

app="$work/app folder"
runtime_name="pellatone test runtime"
if [ "$scenario" = quoted_folders ]; then
    app="$work/app \"SMS\" folder"
    runtime_name="pellatone \"test\" runtime"
fi
jvm="$work/jvm"
runtime="$jvm/$runtime_name"
# The runtime as the program sees it inside the namespace.
runtime_inside="/usr/lib/jvm/$runtime_name"
sources="$work/maradel/GsmModemJar"
mkdir -p "$jvm" "$sources" "$work/path" "$work/elsewhere"

make_stand_in "$app" "$work/record.txt" "$work/go" || fail "could not compile the stand-in"
# Released from the start: whether the program waits for it is another test's concern.
touch "$work/go"
cp "$program" "$app/pellatone"

javac_path=$(command -v javac) || fail "javac is not installed"
machine_jdk=$(dirname "$(dirname "$(readlink -f "$javac_path")")")
if [ ! -x "$machine_jdk/bin/java" ] || [ ! -f "$machine_jdk/release" ]; then
    fail "no java and release beside $javac_path"
fi

# A bare "java" would be looked up on the path: that start gets recorded too.
make_java "$work/path/java"

# The runtime that must be chosen: a copy of the machine JDK's release, and a java that runs the
# machine's JDK as the namespace shows it. Before it by folder name, a runtime too old to choose;
# after it, the machine's JDK itself, whose version is the same and so counts no more.
make_suitable_runtimes() {
    make_runtime "j2re1.4.2_19" "1.4.2_19"
    mkdir -p "$runtime/bin" "$runtime/lib/ext" "$jvm/zz-machine-jdk"
    cp "$machine_jdk/release" "$runtime/release"
    make_java "$runtime/bin/java" "/usr/lib/jvm/zz-machine-jdk/bin/java"
    jdk_to_bind=$machine_jdk
}
jdk_to_bind=""

#   run_program [STDERR-MODE [FOLDER-MODE [USER-MODE [FILE-SIZE-LIMIT]]]]
run_program() {
    rm -f "$work/status" "$work/stdout" "$work/stderr" "$work/invocations" "$work/record.txt"
    timeout -k 5 90 unshare -m --propagation private \
        sh "$here/run_program_inside.sh" "$work" "$jdk_to_bind" "$app/pellatone" \
        "${1:-file}" "${2:-own}" "${3:-root}" "${4:-unlimited}" ||
        fail "the namespace could not be set up or the run did not end (status $?)"
    [ -f "$work/status" ] || fail "the program's run left no status"
    status=$(cat "$work/status")
}

# Standard error must be exactly TEXT (printf format).
expect_stderr() {
    # shellcheck disable=SC2059
    printf "$1" >"$work/expected-stderr"
    cmp -s "$work/stderr" "$work/expected-stderr" || {
        echo "--- expected standard error"
        od -c "$work/expected-stderr"
        echo "--- actual standard error"
        od -c "$work/stderr"
        fail "standard error differs"
    }
    [ ! -s "$work/stdout" ] || fail "the program wrote to standard output"
}

# The program under test's process id, when it is running.
program_pid() {
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/exe")" != "$app/pellatone" ] || echo "${process#/proc/}"
    done 2>/dev/null
}

# Whether process PID is writing a file in lib/ext, named or not: more than 1 MiB of it written,
# not yet all of the 1 GiB.
copying_into_ext() {
    for fd in /proc/"$1"/fd/*; do
        case $(readlink "$fd") in */lib/ext/*) size=$(stat -L -c %s "$fd") ;; *) size=0 ;; esac
        [ "$size" -gt 1048576 ] && [ "$size" -lt 1073741824 ] && return 0
    done 2>/dev/null
    return 1
}

# Nothing at all must have been started; a start shows within the grace period.
expect_nothing_started() {
    sleep 1
    [ ! -f "$work/invocations" ] || fail "a java was started"
}

# A run refused with status 2 and the message: nothing started, no runtime changed.
expect_refused_run() {
    refused_before=$(snapshot "$work/jvm")
    run_program
    expect_status 2
    expect_stderr "$1"
    expect_nothing_started
    [ "$(snapshot "$work/jvm")" = "$refused_before" ] || fail "the runtime folder changed"
}

# The chosen runtime's java must have been started from the application folder with the class
# path, and the stand-in it ran must have been given what it needs; then it ends.
expect_stand_in_started() {
    await 30 '[ -f "$work/record.txt" ]' \
        || fail "the stand-in wrote no record within 30 s (was java started?)"
    expected=$(cat <<EOF
program=$runtime_inside/bin/java
folder=$app
argument=-classpath
argument=$(expected_class_path "$app")
argument=$vexmora_main_class
EOF
)
    [ "$(cat "$work/invocations")" = "$expected" ] || {
        echo "--- expected invocation"
        echo "$expected"
        fail "java was not started as it must be"
    }
    [ "$(cat "$work/record.txt")" = "$(expected_record "$app")" ] || {
        echo "--- expected record"
        expected_record "$app"
        fail "the stand-in's record differs"
    }
    while read -r pid; do
        await 30 '! is_stand_in "$pid"' ||
            fail "the stand-in (process $pid) did not end within 30 s"
    done <"$work/java-pids"
}

# The runtime's folders must hold exactly the given names (no temporary files left) and each
# copied file the source's contents.
#   expect_runtime_folders BIN LIB LIB-EXT
expect_runtime_folders() {
    [ "$(names_in "$runtime/bin")" = "$1" ] || fail "bin/ holds $(names_in "$runtime/bin")"
    [ "$(names_in "$runtime/lib")" = "$2" ] || fail "lib/ holds $(names_in "$runtime/lib")"
    [ "$(names_in "$runtime/lib/ext")" = "$3" ] ||
        fail "lib/ext/ holds $(names_in "$runtime/lib/ext")"
}

# A run that installed all four files, each its source's copy with nothing beside it, and
# started the server.
expect_everything_installed() {
    expect_status 0
    expect_stderr ''
    expect_stand_in_started
    expect_runtime_folders "Win32com.dll java " "ext javax.comm.properties " "Comm.jar jdc.jar "
    expect_copied "$sources" "$runtime" lib/ext/Comm.jar lib/javax.comm.properties \
        bin/Win32com.dll lib/ext/jdc.jar
}

# The last row's source could not be copied: its two messages, the other three files in place,
# and the launch all the same.
expect_only_jdc_jar_missed() {
    expect_status 0
    expect_stderr "Pellatone: File not found: /opt/maradel/GsmModemJar/jdc.jar\nPellatone: $copying_failed_text\n"
    expect_stand_in_started
    expect_runtime_folders "Win32com.dll java " "ext javax.comm.properties " "Comm.jar "
    expect_copied "$sources" "$runtime" lib/ext/Comm.jar lib/javax.comm.properties \
        bin/Win32com.dll
}

make_sources
case $scenario in
    no_runtime)
        sources_before=$(snapshot "$sources")
        expect_refused_run "$(headless "$not_installed_text")\n"
        [ "$(snapshot "$sources")" = "$sources_before" ] || fail "the source folder changed"
        ;;
    too_old_runtime)
        make_runtime "j2re1.4.2_19" "1.4.2_19"
        expect_refused_run "$(headless "$no_suitable_text")\n"
        ;;
    copies_and_launches)
        make_suitable_runtimes
        old_before=$(snapshot "$jvm/j2re1.4.2_19")
        run_program
        expect_everything_installed
        [ "$(snapshot "$jvm/j2re1.4.2_19")" = "$old_before" ] ||
            fail "the runtime too old to choose changed"
        [ "$(names_in "$jvm/zz-machine-jdk")" = "" ] || fail "the machine's JDK stayed bound"

        # Present files are never copied again, even when their sources change.
        for file in "$sources"/*; do echo "changed" >>"$file"; done
        after_first=$(snapshot "$runtime")
        run_program
        expect_status 0
        expect_stderr ''
        expect_stand_in_started
        [ "$(snapshot "$runtime")" = "$after_first" ] || fail "the second run changed the runtime"
        ;;
    missing_source_file)
        make_suitable_runtimes
        rm "$sources/jdc.jar"
        run_program
        expect_only_jdc_jar_missed
        ;;
    missing_middle_source_file)
        # The first failure ends the installation: the rows after it are not even tried.
        make_suitable_runtimes
        rm "$sources/javax.comm.properties"
        run_program
        expect_status 0
        expect_stderr "Pellatone: File not found: /opt/maradel/GsmModemJar/javax.comm.properties\nPellatone: $copying_failed_text\n"
        expect_stand_in_started
        expect_runtime_folders "java " "ext " "Comm.jar "
        expect_copied "$sources" "$runtime" lib/ext/Comm.jar
        ;;
    damaged_file_kept)
        make_suitable_runtimes
        printf 'damaged' >"$runtime/lib/ext/Comm.jar"
        touch -d '2001-02-03 04:05:06' "$runtime/lib/ext/Comm.jar"
        damaged_before=$(snapshot "$runtime/lib/ext" | grep ' ./Comm.jar ')
        run_program
        expect_status 0
        expect_stderr ''
        expect_stand_in_started
        expect_runtime_folders "Win32com.dll java " "ext javax.comm.properties " \
            "Comm.jar jdc.jar "
        [ "$(snapshot "$runtime/lib/ext" | grep ' ./Comm.jar ')" = "$damaged_before" ] ||
            fail "the damaged Comm.jar was touched"
        [ "$(cat "$runtime/lib/ext/Comm.jar")" = "damaged" ] || fail "Comm.jar was replaced"
        expect_copied "$sources" "$runtime" lib/javax.comm.properties bin/Win32com.dll \
            lib/ext/jdc.jar
        ;;
    quoted_folders)
        # Quotes in the application's and the runtime's folders reach java unchanged.
        make_suitable_runtimes
        run_program
        expect_status 0
        expect_stderr ''
        expect_stand_in_started
        ;;
    hostile_sources)
        # A copy takes no privilege from its source, and only regular files are copied: a named
        # pipe or a link to a device fails as a missing file would, and the launch goes on.
        make_suitable_runtimes
        chmod 0666 "$sources/Comm.jar"
        chmod 6777 "$sources/Win32com.dll"
        rm "$sources/jdc.jar"
        mkfifo "$sources/jdc.jar"
        run_program
        expect_only_jdc_jar_missed
        [ "$(stat -c %a "$runtime/lib/ext/Comm.jar" "$runtime/bin/Win32com.dll")" = "644
755" ] || fail "copies have modes $(stat -c %a "$runtime/lib/ext/Comm.jar" "$runtime/bin/Win32com.dll")"

        rm "$sources/jdc.jar"
        ln -s /dev/zero "$sources/jdc.jar"
        run_program
        expect_only_jdc_jar_missed
        ;;
    interrupted_copy | killed_copy)
        # Ended half way through a copy, by a signal it holds off until its file is gone (TERM)
        # or by one nothing holds off (KILL), it leaves nothing but finished files; killed, the
        # next start installs what is missing, byte for byte.
        make_suitable_runtimes
        signal=KILL ended=137
        [ "$scenario" = killed_copy ] || signal=TERM ended=143
        rm "$sources/jdc.jar"
        truncate -s 1G "$sources/jdc.jar"
        run_program &
        runner=$!
        # Named or not, the file being written is open in lib/ext, growing.
        await 30 'pid=$(program_pid) && [ -n "$pid" ]' || fail "the program never ran"
        await 30 'copying_into_ext "$pid"' ||
            fail "the copy of jdc.jar was never seen under way"
        kill -"$signal" "$pid"
        wait "$runner"
        status=$(cat "$work/status")
        expect_status "$ended"
        expect_nothing_started
        expect_runtime_folders "Win32com.dll java " "ext javax.comm.properties " "Comm.jar "
        if [ "$signal" = KILL ]; then run_program; expect_everything_installed; fi
        ;;
    broken_stderr)
        # Messages to a standard error whose reader has gone, or that is closed, are lost, but
        # the server is started all the same.
        make_suitable_runtimes
        rm "$sources/jdc.jar"
        run_program broken-pipe
        expect_status 0
        expect_stand_in_started
        run_program closed
        expect_status 0
        expect_stand_in_started
        expect_copied "$sources" "$runtime" lib/ext/Comm.jar lib/javax.comm.properties \
            bin/Win32com.dll
        ;;
    removed_working_folder)
        # Our own working folder is never needed: java starts in the application folder.
        make_suitable_runtimes
        run_program file removed
        expect_everything_installed
        ;;
    refused_copy)
        # A user who may not write into the runtime is told which file could not be written and
        # what to do; once run as root, the extension is installed.
        make_suitable_runtimes
        # Only for the stand-ins' records: nobody's java writes them here.
        chmod 0777 "$work"
        run_program file own nobody
        expect_status 0
        expect_stderr "Pellatone: Path/File access error: $runtime_inside/lib/ext/Comm.jar\n\
Pellatone: Run Pellatone once as root to install the serial extension.\n\
Pellatone: $copying_failed_text\n"
        expect_stand_in_started
        expect_runtime_folders "java " "ext " ""
        run_program
        expect_everything_installed
        ;;
    file_size_limit)
        # A file-size limit stops the copy that would pass it with "File too large" and no
        # temporary file left; the launch goes on, and the server does not inherit our
        # ignoring of the limit's signal.
        make_suitable_runtimes
        run_program file own root 100
        expect_status 0
        is_copy_error_report "$work/stderr" "File too large" ||
            fail "standard error is not the copy's error report for a file too large"
        expect_stand_in_started
        expect_runtime_folders "Win32com.dll java " "ext javax.comm.properties " "Comm.jar "
        expect_copied "$sources" "$runtime" lib/ext/Comm.jar lib/javax.comm.properties \
            bin/Win32com.dll
        signal_ignored "$work/ignored-signals" 25 && fail "java was started ignoring SIGXFSZ"
        ;;
    *)
        fail "unknown scenario"
        ;;
esac
echo "ok: $scenario"
