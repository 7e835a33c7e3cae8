#!/usr/bin/env bash
# Runs the Windows program under Wine and Xvfb from a temporary application folder and checks
# what a user and the started Java runtime would see.
#
#   program_e2e.sh SCENARIO PELLATONE_EXE JAVA_STAND_IN MESSAGE_BOX_CLICKER BUILD_FOLDER \
#                  SPLASH_WATCH PLANTED_DLL_FOLDER X_SPLASH_WATCH
#
#   bare_java       the splash window shows for Timer1's 2000 ms, then the stand-in java.exe
#                   beside the program is started hidden with the exact command line, in the
#                   application folder
#   splash_window   the splash window's size, place, frame, icons and picture, that the picture
#                   comes in one step (from its mapping on, the window shows nothing but the
#                   final picture once anything is drawn), and that it stays for Timer1's 2000 ms
#   early_close     closing the splash window before Timer1 ticks ends the program, nothing started
#   uncaught_error  no java.exe anywhere: the run-time error box, and a non-zero exit status
#   planted_dlls    stand-ins for DLLs Windows loads by name (gdiplus, uxtheme, version, ...) lie
#                   beside the program, each native-first as Windows treats every DLL that is not
#                   a KnownDLL: none is loaded from there, and the runtime is started as usual
#
# Needs DISPLAY (scripts/test.sh starts Xvfb) and the Wine environment the test gets from CMake.
set -euo pipefail

scenario=$1
program=$2
stand_in=$3
clicker=$4
build_folder=$5
splash_watch=$6
planted_dlls=$7
x_splash_watch=$8
assets="$(cd "$(dirname "$0")/../../../assets" && pwd)"
# shellcheck source=tests/support/test_helpers.sh
. "$(dirname "$0")/../../support/test_helpers.sh"
# shellcheck source=tests/support/expected_texts.sh
. "$(dirname "$0")/../../support/expected_texts.sh"
# shellcheck source=tests/platform/win32/wine_e2e_common.sh
. "$(dirname "$0")/wine_e2e_common.sh"

require_display
use_own_prefix launch
make_application_folder

cp "$program" "$app/pellatone.exe"

# A runtime listed with an empty JavaHome: discovery then leaves the Java home empty without a
# message, and the program starts the bare "java".
runtime_key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment'
wine reg delete "$runtime_key" "$registry_view" /f >/dev/null 2>&1 || true
wine reg add "$runtime_key\\1.6.0" /v JavaHome /t REG_SZ /d "" "$registry_view" /f >/dev/null \
    || fail "cannot write the runtime key"

app_windows=$(winepath -w "$app")
work_windows=$(winepath -w "$work")

now() { date +%s.%N; }

# The program's visible window captioned "Pellatone". Its message boxes share the caption, but
# where this is asked none is expected, and the geometry check would tell one apart.
splash_window() {
    local candidate
    for candidate in $(timeout 5 xdotool search --onlyvisible --name '^Pellatone$' 2>/dev/null); do
        if timeout 5 xprop -id "$candidate" WM_CLASS 2>/dev/null | grep -q '"pellatone\.exe"'; then
            echo "$candidate"
            return 0
        fi
    done
}

# Sets `window`.
wait_for_splash() {
    await 60 'window=$(splash_window); [ -n "$window" ]' ||
        fail "no splash window captioned \"Pellatone\" appeared"
}

# Waits for the program's process, which must end by itself, and sets `status` to its exit status.
wait_for_program() {
    status=0
    wait "$1" || status=$?
    [ "$status" -ne 124 ] || fail "the program did not end"
}

# Timer1 as Windows sees it, watched from before the program starts, so that nothing slower
# looking at the window stands in the way (X keeps a hidden window shown for two more seconds).
# Returns once the watch is looking.
watch_splash() {
    timeout 120 wine "$splash_watch" 100 >"$work/shown.txt" &
    watch_pid=$!
    background+=("$watch_pid")
    await 60 'grep -q ^watching "$work/shown.txt"' || fail "the splash window watch did not start"
}

# Shown for Timer1's 2000 ms, up to a check's margin, and gone soon after (a loose bound, for a
# loaded machine).
check_splash_time() {
    local watch_status=0 shown_ms
    wait "$watch_pid" || watch_status=$?
    [ "$watch_status" = 0 ] || fail "the splash window was not seen to come and go"
    shown_ms=$(tr -d '\r' <"$work/shown.txt" | sed -n 2p)
    echo "the splash window was shown for $shown_ms ms"
    [ "$shown_ms" -ge 1800 ] || fail "the splash window went after $shown_ms ms, before 2000 ms"
    [ "$shown_ms" -le 5000 ] || fail "the splash window was still shown after $shown_ms ms"
}

# Every picture the splash window shows, followed on the X server from its mapping until it is
# unmapped (x_splash_watch, native). Returns once the watch is looking.
follow_splash_pictures() {
    rm -f "$build_folder/splash-window-windows-before.png"
    timeout 120 "$x_splash_watch" frames 100 "$work/final.ppm" "$work/other.ppm" \
        >"$work/pictures.txt" 2>&1 &
    pictures_pid=$!
    background+=("$pictures_pid")
    await 60 'grep -q ^watching "$work/pictures.txt"' || fail "the splash picture watch did not start"
}

# One step: once anything was drawn, the window showed its final picture and nothing else. A
# picture shown before it is kept beside the final one for a look.
check_splash_steps() {
    local pictures_status=0
    wait "$pictures_pid" || pictures_status=$?
    sed 1d "$work/pictures.txt"
    if [ -s "$work/other.ppm" ]; then
        convert "$work/other.ppm" "$build_folder/splash-window-windows-before.png"
    fi
    [ "$pictures_status" = 0 ] || fail "the window showed another picture before its final one:" \
        "$(tail -n 1 "$work/pictures.txt")"
}

# The client area: 487 x 511, centred on the screen.
check_splash_geometry() {
    local geometry x y width height screen_width screen_height
    geometry=$(timeout 5 xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$geometry")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$geometry")
    width=$(sed -n 's/.*Width: *//p' <<<"$geometry")
    height=$(sed -n 's/.*Height: *//p' <<<"$geometry")
    if [ "$width" != 487 ] || [ "$height" != 511 ]; then
        fail "client area is ${width}x${height}, not 487x511"
    fi
    read -r screen_width screen_height < <(timeout 5 xdotool getdisplaygeometry)
    # Centred: the client exactly across, the frame's title bar above it down.
    local centre_x=$(((screen_width - 487) / 2)) centre_y=$(((screen_height - 511) / 2))
    if [ "$x" -lt $((centre_x - 1)) ] || [ "$x" -gt $((centre_x + 1)) ]; then
        fail "client area at x=$x, not centred (expected about $centre_x)"
    fi
    if [ "$y" -lt "$centre_y" ] || [ "$y" -gt $((centre_y + 40)) ]; then
        fail "client area at y=$y, not centred (expected $centre_y plus half a title bar)"
    fi
}

# The platform's default application frame as Wine hands it to X: Motif functions resize, move,
# minimise, maximise and close; decorations border, resize handles, title, menu, minimise and
# maximise; a normal window that keeps its task-bar button; both icon images.
check_splash_frame() {
    local properties
    properties=$(timeout 5 xprop -id "$1")
    grep -q '^_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x3e, 0x7e,' <<<"$properties" \
        || fail "not a sizable frame with system menu, minimise, maximise and close"
    grep -q '^_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL$' <<<"$properties" \
        || fail "not a normal application window"
    ! grep -q '_NET_WM_STATE_SKIP_TASKBAR' <<<"$properties" || fail "no task-bar button"
    grep -q 'Icon (32 x 32)' <<<"$properties" || fail "the window lacks the 32 x 32 icon image"
    grep -q 'Icon (16 x 16)' <<<"$properties" || fail "the window lacks the 16 x 16 icon image"
}

# The final picture (as check_splash_steps' watch read it back) is the background picture
# unscaled with Image1 stretched to 487 x 508 over it.
check_splash_picture() {
    convert "$work/final.ppm" "$build_folder/splash-window-windows.png" || fail "no final picture"
    convert "$work/final.ppm" "$work/shown.png"
    convert "$assets/splash.gif" -crop 487x511+0+0 +repage \
        \( "$assets/splash.gif" -resize '487x508!' \) -geometry +0+0 -composite "$work/expected.png"
    local difference
    difference=$(compare -metric RMSE "$work/shown.png" "$work/expected.png" null: 2>&1 \
        | sed -n 's/.*(\(.*\)).*/\1/p') || true
    [ -n "$difference" ] || fail "cannot compare the screenshot"
    awk -v d="$difference" 'BEGIN { exit !(d < 0.03) }' \
        || fail "the window does not show the splash picture (difference $difference)"
}

case $scenario in
bare_java)
    cp "$stand_in" "$app/java.exe"
    watch_splash
    timeout 120 wine "$app/pellatone.exe" &
    program_pid=$!
    background+=("$program_pid")
    wait_for_program "$program_pid"
    expect_status 0
    check_splash_time
    await 30 '[ -f "$app/java-invocation.txt" ]' || fail "java.exe was not started"
    check_started "$app" "$(server_command_line java "$app_windows")"
    ;;
splash_window)
    cp "$stand_in" "$app/java.exe"
    watch_splash
    follow_splash_pictures
    timeout 120 wine "$app/pellatone.exe" &
    program_pid=$!
    background+=("$program_pid")
    wait_for_splash
    check_splash_geometry "$window"
    check_splash_frame "$window"
    await 30 '[ -z "$(splash_window)" ]' || fail "the splash window did not go away"
    wait_for_program "$program_pid"
    expect_status 0
    check_splash_time
    check_splash_steps
    check_splash_picture
    ;;
early_close)
    cp "$stand_in" "$app/java.exe"
    timeout 120 wine "$app/pellatone.exe" &
    program_pid=$!
    background+=("$program_pid")
    wait_for_splash
    timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus the splash window"
    timeout 10 xdotool key alt+F4 || fail "cannot press Alt+F4"
    wait_for_program "$program_pid"
    expect_status 0
    # Long past the tick Timer1 would have given: still nothing started.
    sleep 3
    [ ! -e "$app/java-invocation.txt" ] || fail "java.exe was started after the window was closed"
    ;;
uncaught_error)
    # The premise: no java.exe in any folder of Wine's search path.
    search_path=$(wine cmd /c 'echo %PATH%' | tr -d '\r')
    [ -n "$search_path" ] || fail "cannot read Wine's PATH"
    IFS=';' read -r -a search_folders <<<"$search_path"
    for folder in "${search_folders[@]}"; do
        unix_folder=$(winepath -u "$folder" 2>/dev/null) || continue
        [ ! -e "$unix_folder/java.exe" ] || fail "a java.exe lies on Wine's PATH: $folder"
    done
    timeout 120 wine "$clicker" "$work_windows\\boxes.txt" 1 100 &
    clicker_pid=$!
    background+=("$clicker_pid")
    status=0
    timeout 120 wine "$app/pellatone.exe" || status=$?
    [ "$status" -ne 124 ] || fail "the program did not end"
    clicker_status=0
    wait "$clicker_pid" || clicker_status=$?
    [ "$clicker_status" = 0 ] \
        || fail "no message box was answered; boxes seen: [$(cat "$work/boxes.txt" 2>/dev/null)]"
    read_boxes "$work/boxes.txt"
    expected="Run-time error '53':\\r\\n\\r\\nFile not found"
    [ "$boxes" = "$expected" ] || fail "message boxes were [$boxes], expected [$expected]"
    expect_status 1
    ;;
planted_dlls)
    # A runtime outside the application folder, with its extension installed: the stand-in java
    # loads nothing from beside the program, and no message box interrupts the launch.
    jre="$work/jre"
    mkdir -p "$jre/bin" "$jre/lib/ext"
    cp "$stand_in" "$jre/bin/java.exe"
    touch "$jre/lib/ext/Comm.jar" "$jre/lib/javax.comm.properties" "$jre/bin/Win32com.dll" \
        "$jre/lib/ext/jdc.jar"
    jre_windows=$(winepath -w "$jre")
    wine reg delete "$runtime_key" "$registry_view" /f >/dev/null 2>&1 || true
    wine reg add "$runtime_key\\1.8.0" /v JavaHome /t REG_SZ /d "$jre_windows" "$registry_view" /f \
        >/dev/null || fail "cannot write the runtime key"
    # Each native first, as Windows takes every DLL that is no KnownDLL; all but two that Wine's
    # own DLLs import at load time: version.dll (user32) and msimg32.dll (comctl32 6, for
    # AlphaBlend), whose imports Wine resolves from the program's folder whatever the program
    # asked for. Windows' user32 imports no version.dll, and a KnownDLL's imports are KnownDLLs
    # too; under Wine no program could keep these two out. They are planted all the same.
    planted=()
    for dll in "$planted_dlls"/*.dll; do
        cp "$dll" "$app/"
        case $(basename "$dll") in
        version.dll | msimg32.dll) ;;
        *) planted+=("$(basename "$dll" .dll)") ;;
        esac
    done
    [ "${#planted[@]}" -ge 6 ] || fail "only ${#planted[@]} stand-in DLLs to plant"
    overrides="$(IFS=,; echo "${planted[*]}")=n,b"
    status=0
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides" WINEDEBUG=-all,+loaddll \
        timeout 120 wine "$app/pellatone.exe" 2>"$work/loads.txt" || status=$?
    # The premise: the log names what was loaded, the program included.
    grep -q 'Loaded L".*pellatone\.exe"' "$work/loads.txt" || fail "Wine's load log is empty"
    # Wine's log names a builtin DLL by the first file its search found, so only the native
    # loads are the planted files' own code.
    from_app=$(grep -i 'Pellatone App\\\\[^"]*\.dll" .*: native' "$work/loads.txt" || true)
    [ -z "$from_app" ] || fail "DLLs were loaded from the program's folder:"$'\n'"$from_app"
    markers=$(cd "$app" && ls -- *.loaded 2>/dev/null || true)
    [ -z "$markers" ] || fail "planted DLLs ran their DllMain: $markers"
    [ "$status" -ne 124 ] || fail "the program did not end"
    expect_status 0
    await 30 '[ -f "$jre/bin/java-invocation.txt" ]' || fail "java.exe was not started"
    check_started "$jre/bin" "$(server_command_line "\"$jre_windows\\bin\\java.exe\"" "$app_windows")"
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "PASS ($scenario)"
