# Shared by the scripts that run the Windows program under Wine and Xvfb; sourced, not run, after
# tests/support/test_helpers.sh and tests/support/expected_texts.sh. The sourcing script sets
# `scenario` first: every failure names it.
# shellcheck shell=bash

# The registry's view the build's program reads: /reg:32 for the 32-bit program, /reg:64 for the
# 64-bit one.
registry_view="/reg:${PELLATONE_REGISTRY_VIEW:?PELLATONE_REGISTRY_VIEW (32 or 64) is missing}"

# The display the test was given must answer before any window can be looked for.
require_display() {
    [ -n "${DISPLAY:-}" ] || fail "no DISPLAY: run under scripts/test.sh or start Xvfb first"
    await 5 'xdpyinfo >/dev/null 2>&1' || fail "cannot open display $DISPLAY"
}

# A prefix of the caller's own beside the test environment's, so the registry it prepares meets
# no key another group of tests left there.
use_own_prefix() {
    [ -n "${WINEPREFIX:-}" ] || fail "no WINEPREFIX: the test environment is missing"
    export WINEPREFIX="${WINEPREFIX}-$1"
}

# Sets `work`, a temporary folder, and `app`, an application folder with a blank in its name
# inside it. On exit every process listed in `background` is stopped, Wine is left with nothing
# running, and `work` and every path listed in `also_remove` are deleted.
make_application_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/pellatone-win-e2e.XXXXXX")
    app="$work/Pellatone App"
    mkdir "$app"
    background=()
    also_remove=()
    trap remove_what_the_test_made EXIT
}

remove_what_the_test_made() {
    local pid
    for pid in "${background[@]}"; do kill "$pid" 2>/dev/null || true; done
    timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
    # A test that made a folder immutable and failed before undoing it.
    chattr -R -i "$work" >/dev/null 2>&1 || true
    rm -rf "$work" "${also_remove[@]}"
}

# The command line the program starts Vexmora with, from its start (the bare `java`, or a
# runtime's quoted java.exe) and the application folder in Windows form.
server_command_line() {
    local start=$1 application=$2 entry class_path=""
    while IFS= read -r entry; do
        class_path+="${class_path:+;}\"$entry\""
    done < <(class_path_entries "$application" '\')
    printf '%s' "$start -classpath $class_path $vexmora_main_class"
}

# Reads the message_box_clicker's RECORD into `boxes`, the boxes' texts one a line, after checking
# that every box looks as the program's boxes must: captioned "Pellatone", an OK button only and
# no icon.
read_boxes() {
    local caption buttons icon text
    boxes=""
    [ -f "$1" ] || return 0
    while IFS=$'\t' read -r caption buttons icon text; do
        [ "$caption" = Pellatone ] || fail "the box [$text] is captioned [$caption], not [Pellatone]"
        [ "$buttons" = OK ] || fail "the box [$text] has the buttons [$buttons], not OK alone"
        [ "$icon" = "no icon" ] || fail "the box [$text] shows an icon"
        boxes+="${boxes:+$'\n'}$text"
    done <"$1"
}

# The stand-in in FOLDER was started hidden with exactly COMMAND_LINE, in the application folder
# (`app_windows`). Wine quotes an unquoted program path in the command line it hands over, so a
# decoy where that path would lead, <work>\Java.exe, tells whether the program quoted it.
check_started() {
    local record="$1/java-invocation.txt" command_line working_folder shown
    [ ! -e "$work/java-invocation.txt" ] || fail "the decoy $work/Java.exe was started"
    [ -f "$record" ] || fail "$1/java.exe was not started"
    command_line=$(sed -n 1p "$record")
    working_folder=$(sed -n 2p "$record")
    [ "$command_line" = "$2" ] \
        || fail "command line differs:$(printf '\n  got      %s\n  expected %s' "$command_line" "$2")"
    [ "$working_folder" = "$app_windows" ] \
        || fail "java ran in \"$working_folder\", not in \"$app_windows\""
    # Asked to use wShowWindow, and that SW_HIDE.
    shown=$(sed -n 3p "$record")
    [ "$shown" = "STARTF_USESHOWWINDOW=1 wShowWindow=0" ] \
        || fail "java.exe was not started hidden (SW_HIDE): its start-up info reads [$shown]"
}
