#!/usr/bin/env bash
# Runs the Windows program under Wine and Xvfb against Java runtimes that the test lists in the
# registry of a private prefix and lays out on disk, answers its message boxes, and checks the
# boxes, the exit status, the extension files copied and the java.exe that was started.
#
#   java_runtime_wine_test.sh SCENARIO PELLATONE_EXE JAVA_STAND_IN MESSAGE_BOX_CLICKER SCANNER
#
#   no_runtime_key              the three-line not-installed box, status 2, nothing started
#   no_suitable_version         only 1.3.1 and 1.4.2_19 listed: one box, status 2, nothing started
#   copies_and_launches         the first runtime of 1.5 or later gets the four files and starts
#                               Vexmora; a second run copies nothing and replaces nothing
#   unsupported_java_home_type  a REG_QWORD JavaHome: the two discovery boxes, then the bare java
#   java_home_value_missing     a version key without JavaHome: the same
#   missing_source_folder       no C:\maradel\GsmModemJar: the two copy boxes ("File not found"),
#                               nothing copied, the chosen runtime's java.exe still started
#   missing_source_file         jdc.jar missing there: the first three files copied, the two copy
#                               boxes, the chosen runtime's java.exe still started
#   links_followed              links (Unix ones: Wine makes no others) are followed: a linked
#                               file counts as present, a dangling link as absent and is replaced
#                               by the copy, a linked source folder is read through
#   refused_copy                lib\ext refuses the write (an immutable folder, as Wine cannot
#                               refuse root otherwise): the box names the file and says to run
#                               as administrator; run again with the right, all four are copied.
#                               Exits 77 (skipped) where the file system has no immutable flag.
#   three_starts_at_once        three programs started together on a runtime lacking all four
#                               files, from read-only sources of 8 to 32 MB: each file installed
#                               whole, no temporary file left, no box, all three start java
#   long_runtime_folder         a runtime folder of 233 characters, where the longest destination
#                               is 259: all four copied, and no path the program hands Windows
#                               (as Wine's file trace shows them) is longer than MAX_PATH allows
#   killed_mid_copy             killed (SIGKILL) while copying a 1 GB Comm.jar: nothing is left
#                               in the runtime; started again, it installs all four
#   scanned_meanwhile           a stand-in virus scanner holds each file in the runtime's
#                               folders for 300 ms as soon as it can: all four installed, no box
#
# Needs DISPLAY (scripts/test.sh starts Xvfb) and the Wine environment the test gets from CMake.
set -euo pipefail

scenario=$1
program=$2
stand_in=$3
clicker=$4
scanner=$5
# shellcheck source=tests/support/test_helpers.sh
. "$(dirname "$0")/../../support/test_helpers.sh"
# shellcheck source=tests/support/expected_texts.sh
. "$(dirname "$0")/../../support/expected_texts.sh"
# shellcheck source=tests/platform/win32/wine_e2e_common.sh
. "$(dirname "$0")/../../platform/win32/wine_e2e_common.sh"

require_display
use_own_prefix java-runtime
make_application_folder
cp "$program" "$app/pellatone.exe"
app_windows=$(winepath -w "$app")
work_windows=$(winepath -w "$work")

runtime_key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment'
# Every scenario starts from no runtime key at all; this also makes the prefix on first use. The
# delete is tried again while the key is still there: once, in CI, a first delete left it.
no_runtime_key() {
    wine reg delete "$runtime_key" "$registry_view" /f >/dev/null 2>&1 || true
    ! wine reg query "$runtime_key" "$registry_view" >/dev/null 2>&1
}
await 30 no_runtime_key || fail "cannot delete the runtime key"

# The extension's fixed source folder, C:\maradel\GsmModemJar\, on the prefix's drive C.
maradel="$WINEPREFIX/drive_c/maradel"
sources="$maradel/GsmModemJar"
rm -rf "$maradel"
also_remove+=("$maradel")
extension_files=(Comm.jar javax.comm.properties Win32com.dll jdc.jar)

# Lays out the named source files, each of its own length and random bytes, and keeps a copy of
# each in the work folder to compare the runtime's copies with.
lay_out_sources() {
    local name size=1000
    mkdir -p "$sources" "$work/originals"
    for name in "$@"; do
        size=$((size + 517))
        head -c "$size" /dev/urandom >"$sources/$name"
        cp "$sources/$name" "$work/originals/$name"
    done
}

# A Java runtime folder "<work>/Java Home/NAME": bin\java.exe (the stand-in) and empty lib\ and
# lib\ext\ folders. Prints its Windows path, which has a blank in it.
make_runtime() {
    local folder="$work/Java Home/$1"
    mkdir -p "$folder/bin" "$folder/lib/ext"
    cp "$stand_in" "$folder/bin/java.exe"
    winepath -w "$folder"
}

runtime_folder() { printf '%s' "$work/Java Home/$1"; }

# The one runtime most scenarios list: jre6 as 1.6.0_03. Sets `jre6` and `jre6_windows`.
list_jre6() {
    jre6_windows=$(make_runtime jre6)
    list_version 1.6.0_03 REG_SZ "$jre6_windows"
    jre6=$(runtime_folder jre6)
}

# RUNTIME holds whole copies of the four extension files and what a launch leaves, nothing else.
check_all_four_installed() {
    copied=(lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar)
    expect_copied "$work/originals" "$1" "${copied[@]}"
    check_tree "$1" "${launched_runtime[@]}" "${copied[@]}"
}

# A Windows path as the clicker records it, backslashes doubled.
recorded() { printf '%s' "${1//\\/\\\\}"; }

# Lists a version subkey with a JavaHome value of the given type and data.
list_version() {
    wine reg add "$runtime_key\\$1" /v JavaHome /t "$2" /d "$3" "$registry_view" /f >/dev/null \
        || fail "cannot write the version key $1"
}

# The premise of the version choice: the registry enumerates the subkeys in the given order.
check_enumeration_order() {
    local listed expected
    listed=$(wine reg query "$runtime_key" "$registry_view" | tr -d '\r' \
        | sed -n 's/^HKEY_LOCAL_MACHINE.*\\Java Runtime Environment\\//p' | paste -sd' ')
    expected="$*"
    [ "$listed" = "$expected" ] || fail "the registry lists [$listed], not [$expected]"
}

# Runs the program while the clicker answers its boxes. Sets `status` to the program's exit status
# and `boxes` to the boxes' texts, one line each, with CR and LF written as \r and \n, once each
# box's caption, buttons and icon are checked. Returns once everything the program started has
# ended too.
run_program() {
    local clicker_pid
    rm -f "$work/boxes.txt"
    # More boxes than any scenario expects, so the clicker never stops on its own before the end.
    timeout 150 wine "$clicker" "$work_windows\\boxes.txt" 99 150 &
    clicker_pid=$!
    background+=("$clicker_pid")
    status=0
    timeout 120 wine "$app/pellatone.exe" || status=$?
    # Every box holds the program until answered, so the record is complete once it has ended.
    kill "$clicker_pid" 2>/dev/null || true
    wait "$clicker_pid" 2>/dev/null || true
    [ "$status" -ne 124 ] \
        || fail "the program did not end; boxes answered: [$(cat "$work/boxes.txt" 2>/dev/null)]"
    read_boxes "$work/boxes.txt"
    timeout 60 wineserver -w || fail "a process under Wine did not end"
}

# Starts COUNT programs at once while the clicker answers their boxes; sets `statuses` (one a
# program, in order) and `boxes` as run_program does.
run_programs_at_once() {
    local clicker_pid count=$1 index pids=()
    rm -f "$work/boxes.txt"
    timeout 150 wine "$clicker" "$work_windows\\boxes.txt" 99 150 &
    clicker_pid=$!
    background+=("$clicker_pid")
    for index in $(seq "$count"); do
        timeout 120 wine "$app/pellatone.exe" &
        pids+=("$!")
    done
    statuses=""
    for index in "${pids[@]}"; do
        status=0
        wait "$index" || status=$?
        statuses+="${statuses:+ }$status"
    done
    kill "$clicker_pid" 2>/dev/null || true
    wait "$clicker_pid" 2>/dev/null || true
    read_boxes "$work/boxes.txt"
    timeout 60 wineserver -w || fail "a process under Wine did not end"
}

check_boxes() {
    local expected
    expected=$(printf '%s\n' "$@")
    [ "$boxes" = "$expected" ] \
        || fail "message boxes differ:$(printf '\n  got\n%s\n  expected\n%s' "$boxes" "$expected")"
}

check_no_boxes() {
    [ -z "$boxes" ] || fail "unexpected message boxes: [$boxes]"
}

check_not_started() {
    local folder
    for folder in "$@"; do
        [ ! -e "$folder/java-invocation.txt" ] || fail "$folder/java.exe was started"
    done
}

# The folder holds exactly the given entries (relative paths), nothing more.
check_tree() {
    local folder=$1 listed expected
    shift
    listed=$(cd "$folder" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
    expected=$(printf '%s\n' "$@" | LC_ALL=C sort)
    [ "$listed" = "$expected" ] \
        || fail "$folder holds:$(printf '\n%s\n  expected:\n%s' "$listed" "$expected")"
}

untouched_runtime=(bin bin/java.exe lib lib/ext)
launched_runtime=(bin bin/java.exe bin/java-invocation.txt bin/java-starts.txt lib lib/ext)
bare_java_command_line=$(server_command_line java "$app_windows")

# A stand-in beside the program: what a bare `java` would start.
cp "$stand_in" "$app/java.exe"
# A decoy where the unquoted path of a runtime's java.exe would lead: Windows tries
# "<work>\Java.exe" first when the path "<work>\Java Home\...\java.exe" is not quoted.
cp "$stand_in" "$work/Java.exe"

case $scenario in
no_runtime_key)
    make_runtime jre6 >/dev/null
    lay_out_sources "${extension_files[@]}"
    run_program
    check_boxes "$(in_box "$not_installed_text")"
    expect_status 2
    check_not_started "$app" "$(runtime_folder jre6)/bin" "$work"
    check_tree "$(runtime_folder jre6)" "${untouched_runtime[@]}"
    ;;
no_suitable_version)
    list_version 1.3.1 REG_SZ "$(make_runtime jre131)"
    list_version 1.4.2_19 REG_SZ "$(make_runtime jre142)"
    check_enumeration_order 1.3.1 1.4.2_19
    lay_out_sources "${extension_files[@]}"
    run_program
    check_boxes "$no_suitable_text"
    expect_status 2
    for name in jre131 jre142; do
        check_not_started "$(runtime_folder $name)/bin"
        check_tree "$(runtime_folder $name)" "${untouched_runtime[@]}"
    done
    check_not_started "$app" "$work"
    ;;
copies_and_launches)
    # The first listed runtime of 1.5 or later is chosen, not the newest one.
    list_version 1.4.2_19 REG_SZ "$(make_runtime jre142)"
    list_jre6
    list_version 1.7.0 REG_SZ "$(make_runtime jre7)"
    check_enumeration_order 1.4.2_19 1.6.0_03 1.7.0
    lay_out_sources "${extension_files[@]}"
    copied=(lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar)
    expected_command_line=$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")

    run_program
    check_no_boxes
    expect_status 0
    check_started "$jre6/bin" "$expected_command_line"
    expect_copied "$work/originals" "$jre6" "${copied[@]}"
    check_tree "$jre6" "${launched_runtime[@]}" "${copied[@]}"
    for name in jre142 jre7; do
        check_not_started "$(runtime_folder $name)/bin"
        check_tree "$(runtime_folder $name)" "${untouched_runtime[@]}"
    done
    check_not_started "$app"

    # Again, with the sources gone and one copy stale: whatever is there counts as installed, so
    # nothing is copied (a copy would now fail with a box) and nothing is replaced.
    rm -rf "$maradel" "$jre6/bin/java-invocation.txt" "$jre6/bin/java-starts.txt"
    printf 'stale' >"$jre6/lib/ext/Comm.jar"
    run_program
    check_no_boxes
    expect_status 0
    check_started "$jre6/bin" "$expected_command_line"
    [ "$(cat "$jre6/lib/ext/Comm.jar")" = stale ] || fail "the present Comm.jar was replaced"
    expect_copied "$work/originals" "$jre6" "${copied[@]:1}"
    check_tree "$jre6" "${launched_runtime[@]}" "${copied[@]}"
    ;;
unsupported_java_home_type | java_home_value_missing)
    # The chosen version's JavaHome cannot be read; the walk stopped there, so the readable later
    # version is not taken either.
    if [ "$scenario" = unsupported_java_home_type ]; then
        list_version 1.6.0_03 REG_QWORD 1
    else
        wine reg add "$runtime_key\\1.6.0_03" /v RuntimeLib /t REG_SZ /d jvm.dll \
            "$registry_view" /f >/dev/null || fail "cannot write the version key 1.6.0_03"
    fi
    list_version 1.7.0 REG_SZ "$(make_runtime jre7)"
    check_enumeration_order 1.6.0_03 1.7.0
    lay_out_sources "${extension_files[@]}"
    run_program
    check_boxes "Unsupported value type" "$searching_failed_text"
    expect_status 0
    check_started "$app" "$bare_java_command_line"
    check_not_started "$(runtime_folder jre7)/bin"
    check_tree "$(runtime_folder jre7)" "${untouched_runtime[@]}"
    ;;
missing_source_folder)
    list_jre6
    run_program
    check_boxes "File not found: $(recorded 'C:\maradel\GsmModemJar\Comm.jar')" \
        "$copying_failed_text"
    expect_status 0
    check_started "$jre6/bin" \
        "$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")"
    check_tree "$jre6" "${launched_runtime[@]}"
    check_not_started "$app"
    ;;
missing_source_file)
    list_jre6
    lay_out_sources Comm.jar javax.comm.properties Win32com.dll
    run_program
    check_boxes "File not found: $(recorded 'C:\maradel\GsmModemJar\jdc.jar')" \
        "$copying_failed_text"
    expect_status 0
    check_started "$jre6/bin" \
        "$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")"
    # The rows before the failing one stay copied, and the failed copy leaves nothing behind.
    copied=(lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll)
    expect_copied "$work/originals" "$jre6" "${copied[@]}"
    check_tree "$jre6" "${launched_runtime[@]}" "${copied[@]}"
    check_not_started "$app"
    ;;
links_followed)
    list_jre6
    lay_out_sources "${extension_files[@]}"
    mv "$sources" "$work/linked sources"
    ln -s "$work/linked sources" "$sources"
    printf 'installed elsewhere' >"$work/Comm.jar"
    ln -s "$work/Comm.jar" "$jre6/lib/ext/Comm.jar"
    ln -s "$work/gone.jar" "$jre6/lib/ext/jdc.jar"
    run_program
    check_no_boxes
    expect_status 0
    check_started "$jre6/bin" \
        "$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")"
    [ -L "$jre6/lib/ext/Comm.jar" ] && [ "$(cat "$jre6/lib/ext/Comm.jar")" = "installed elsewhere" ] \
        || fail "the linked Comm.jar was replaced"
    [ ! -L "$jre6/lib/ext/jdc.jar" ] || fail "the dangling jdc.jar link was kept"
    [ ! -e "$work/gone.jar" ] || fail "the copy was written through the dangling link"
    copied=(lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar)
    expect_copied "$work/originals" "$jre6" "${copied[@]}"
    check_tree "$jre6" "${launched_runtime[@]}" "${copied[@]}" lib/ext/Comm.jar
    ;;
refused_copy)
    list_jre6
    lay_out_sources "${extension_files[@]}"
    command -v chattr >/dev/null || skip "chattr is not installed (Debian's e2fsprogs)"
    chattr +i "$jre6/lib/ext" 2>/dev/null || skip "no immutable flag here"
    run_program
    chattr -i "$jre6/lib/ext"
    refused="Path/File access error: $(recorded "$jre6_windows\lib\ext\Comm.jar")"
    refused+='\r\nRun Pellatone once as administrator to install the serial extension.'
    check_boxes "$refused" "$copying_failed_text"
    expect_status 0
    command_line=$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")
    check_started "$jre6/bin" "$command_line"
    check_tree "$jre6" "${launched_runtime[@]}"

    rm "$jre6/bin/java-invocation.txt" "$jre6/bin/java-starts.txt"
    run_program
    check_no_boxes
    expect_status 0
    check_started "$jre6/bin" "$command_line"
    check_all_four_installed "$jre6"
    ;;
three_starts_at_once)
    list_jre6
    mkdir -p "$sources" "$work/originals"
    size_mb=8
    for name in "${extension_files[@]}"; do
        head -c "$((size_mb * 1024 * 1024))" /dev/urandom >"$sources/$name"
        cp "$sources/$name" "$work/originals/$name"
        size_mb=$((size_mb * 2 > 32 ? 32 : size_mb * 2))
    done
    # Read-only for Windows: the copies take the attribute over, and Windows will not rename
    # another file over one of them.
    chmod a-w "$sources"/*
    run_programs_at_once 3
    check_no_boxes
    [ "$statuses" = "0 0 0" ] || fail "the programs ended with statuses [$statuses], not [0 0 0]"
    check_all_four_installed "$jre6"
    [ "$(grep -c started "$jre6/bin/java-starts.txt")" = 3 ] \
        || fail "java.exe was started $(grep -c started "$jre6/bin/java-starts.txt") times, not 3"
    check_started "$jre6/bin" \
        "$(server_command_line "\"$jre6_windows\\bin\\java.exe\"" "$app_windows")"
    ;;
long_runtime_folder)
    # The runtime's Windows path made exactly 233 characters long, the last ones its own name.
    prefix=$(winepath -w "$work/Java Home")
    name_length=$((233 - ${#prefix} - 1))
    name=$(printf 'j%.0s' $(seq "$name_length"))
    jre_windows=$(make_runtime "$name")
    [ "${#jre_windows}" = 233 ] || fail "the runtime's path is ${#jre_windows} characters long"
    list_version 1.6.0_03 REG_SZ "$jre_windows"
    jre=$(runtime_folder "$name")
    lay_out_sources "${extension_files[@]}"
    WINEDEBUG=trace+file run_program 2>"$work/trace.txt"
    check_no_boxes
    expect_status 0
    check_all_four_installed "$jre"
    # Every path with a drive letter in the trace (Wine writes a backslash doubled), by length,
    # but for the stand-in java's own records.
    grep -o 'L"[A-Za-z]:\\\\[^"]*"' "$work/trace.txt" | sed 's/^L"//; s/"$//; s/\\\\/\\/g' \
        | grep -v '\\java-\(invocation\.[0-9]*\.partial\|invocation\.txt\|starts\.txt\)$' \
        | LC_ALL=C.UTF-8 awk '{ print length($0) "\t" $0 }' | sort -rn | uniq >"$work/paths.txt"
    grep -q "$(printf '%s' "$name" | head -c 40)" "$work/paths.txt" \
        || fail "the file trace shows none of the runtime's paths"
    longest=$(head -n 1 "$work/paths.txt")
    [ "${longest%%$'\t'*}" -le 259 ] || fail "a path past MAX_PATH was handed to Windows: $longest"
    ;;
killed_mid_copy | scanned_meanwhile)
    list_jre6
    lay_out_sources "${extension_files[@]}"
    head -c 64M /dev/urandom | tee "$sources/Comm.jar" >"$work/originals/Comm.jar"
    if [ "$scenario" = killed_mid_copy ]; then
        # A gigabyte, mostly a hole, takes seconds to write: a poll cannot miss it, as it did
        # the 64 MB copy.
        truncate -s 1G "$sources/Comm.jar" "$work/originals/Comm.jar"
        wine "$app/pellatone.exe" &
        # Comm.jar's temporary file under way.
        await 60 '[ -n "$(find "$jre6/lib/ext" -name "~*" -size +1M)" ]' \
            || fail "no copy was seen under way"
        kill -KILL "$!"
        timeout 60 wineserver -w || fail "a process under Wine did not end"
        check_tree "$jre6" "${untouched_runtime[@]}"
    else
        wine "$scanner" "$jre6_windows\bin\java-starts.txt" "$jre6_windows\lib\ext" \
            "$jre6_windows\lib" "$jre6_windows\bin" >"$work/scanner.txt" &
    fi
    run_program
    check_no_boxes
    expect_status 0
    check_all_four_installed "$jre6"
    [ "$scenario" = killed_mid_copy ] || grep -q 'held .*Comm\.jar' "$work/scanner.txt" \
        || fail "the scanner never held Comm.jar"
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "PASS ($scenario)"
