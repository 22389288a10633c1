# Sourced by the script tests that drive the real program as a person and a desktop
# would: a virtual display of its own with openbox as window manager and, when asked, a
# notification area; an application folder of its own; helpers to wait for the program
# and to count failures.
#
# start_desktop [tray]   sets home, DISPLAY, XDG_DATA_HOME and XDG_RUNTIME_DIR; everything
#                        it starts, and every pid added to background_pids, ends on exit.
# fail MESSAGE           prints the message and counts it in failures.
# find_window PID        waits for the reader's window (not its tray icon's) and sets w
#                        to it; w stays empty when none showed.
# wait_end PID TENTHS    waits that long for the process to end; sets status to its exit
#                        status, or to "running" (then names the windows it still shows
#                        and kills it).
# pause SECONDS          sleeps that long, longer in a sanitizer build.
#
# TIBBO_TEST_TIME_SCALE (a whole number, 1 unless a sanitizer build sets it) stretches
# every wait: such a build runs the program several times slower.

failures=0
background_pids=()
scale=${TIBBO_TEST_TIME_SCALE:-1}

pause() {
    sleep "$(awk -v s="$1" -v k="$scale" 'BEGIN { print s * k }')"
}

start_desktop() {
    home=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$home/display" >/dev/null 2>&1 &
    background_pids+=($!)
    trap 'kill ${background_pids[*]} 2>/dev/null; rm -rf "$home"' EXIT
    for _ in $(seq 1 50); do [ -s "$home/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$home/display") XDG_DATA_HOME=$home XDG_RUNTIME_DIR=$home
    unset QT_QPA_PLATFORM
    openbox >/dev/null 2>&1 &
    background_pids+=($!)
    sleep 0.5
    if [ "${1:-}" = tray ]; then
        trayer --edge top --align right --widthtype pixel --width 40 --height 24 >/dev/null 2>&1 &
        background_pids+=($!)
    fi
    sleep 1
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

find_window() {
    w=
    for _ in $(seq 1 $((150 * scale))); do
        for candidate in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$candidate")"
            [ "$WIDTH" -gt 100 ] && w=$candidate
        done
        [ -n "$w" ] && break
        sleep 0.1
    done
}

wait_end() {
    for _ in $(seq 1 $(($2 * scale))); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
            echo "still shown: window $w, $(xdotool getwindowname "$w")"
        done
        kill -KILL "$1"
        wait "$1" 2>/dev/null
        status=running
        return
    fi
    wait "$1"
    status=$?
}
