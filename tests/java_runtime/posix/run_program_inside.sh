#!/bin/sh
# The one run of the program inside java_runtime_test.sh's private mount namespace: covers the
# folders, runs the program and writes its exit status to WORK-FOLDER/status. Nothing here
# removes anything: the machine's JDK is reachable from the work folder while it runs.
#   run_program_inside.sh WORK-FOLDER MACHINE-JDK PELLATONE STDERR-MODE FOLDER-MODE USER-MODE
#                         FILE-SIZE-LIMIT
set -eu
work=$1
machine_jdk=$2
program=$3
# How the program is started: its standard error a file, a pipe whose reader has gone, or
# closed; its working folder a folder of its own, or one removed before it starts.
stderr_mode=$4
folder_mode=$5
# Who runs it: root, or nobody, who may not write into the runtime.
user_mode=$6
# A file-size limit, in 512-byte blocks, for the program and what it starts.
file_size_limit=$7
. "$(dirname "$0")/runtime_tree.sh"
cover_system_folders "$work/jvm" "$work/maradel" "$machine_jdk" || exit 1
cd "$work/elsewhere"
if [ "$folder_mode" = removed ]; then
    mkdir "$work/removed"
    cd "$work/removed"
    rmdir "$work/removed"
fi
umask 022
as_user=""
if [ "$user_mode" = nobody ]; then as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"; fi
# shellcheck disable=SC2086
run() {
    (ulimit -f "$file_size_limit" &&
        PATH="$work/path:$PATH" exec timeout -k 5 60 env -u DISPLAY $as_user "$program")
}
status=0
case $stderr_mode in
    file) run >"$work/stdout" 2>"$work/stderr" || status=$? ;;
    closed) run >"$work/stdout" 2>&- || status=$? ;;
    broken-pipe)
        # The reader is gone long before the program has anything to say.
        { sleep 1; run 2>&1 >"$work/stdout" || echo $? >"$work/status"; } | true
        status=$(cat "$work/status" 2>/dev/null || echo 0)
        ;;
esac
echo "$status" >"$work/status"
