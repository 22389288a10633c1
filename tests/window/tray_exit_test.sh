#!/usr/bin/env bash
# The real program on a virtual display with a notification area: 退出 chosen from the
# tray icon's menu, by mouse and by keyboard, ends it with status 0 and the session saved.
# Usage: tray_exit_test.sh TIBBOREAD BOOK
set -u
reader=$1
book=$2
for tool in Xvfb trayer xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
home=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$home/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $tray $xvfb 2>/dev/null; rm -rf "$home"' EXIT
for _ in $(seq 1 50); do [ -s "$home/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$home/display") XDG_DATA_HOME=$home XDG_RUNTIME_DIR=$home
unset QT_QPA_PLATFORM
trayer --edge top --align right --widthtype pixel --width 40 --height 24 >/dev/null 2>&1 &
tray=$!
sleep 1
failures=0

# way: "mouse" clicks the last item, "keyboard" selects it with Up and Return.
exit_by_tray() {
    local way=$1
    "$reader" "$book" >/dev/null 2>&1 &
    local pid=$!
    sleep 2.5
    xdotool mousemove 1012 12 click 3
    sleep 0.8
    if [ "$way" = keyboard ]; then
        xdotool key Up Return
    else
        # The menu opens at the pointer, going left and down from the screen's corner.
        # The menu is the program's window that is wider than the icon and lower than
        # the book.
        local w
        for w in $(xdotool search --onlyvisible --class tibboread 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            if [ "$WIDTH" -gt 60 ] && [ "$HEIGHT" -lt 200 ]; then
                xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 10)) click 1
                break
            fi
        done
    fi
    for _ in $(seq 1 60); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        echo "FAIL: 退出 by $way left the reader running"
        failures=$((failures + 1))
        return
    fi
    wait "$pid"
    local status=$?
    if [ "$status" != 0 ]; then
        echo "FAIL: 退出 by $way ended with status $status"
        failures=$((failures + 1))
    elif ! grep -aqF "$(basename "$book")" "$home/TibboRead/settings.ini"; then
        echo "FAIL: 退出 by $way did not save the book"
        failures=$((failures + 1))
    fi
    rm -f "$home/TibboRead/settings.ini"
}

exit_by_tray keyboard
exit_by_tray mouse
[ "$failures" = 0 ] && echo "退出 from the tray menu ended the reader cleanly both ways"
exit "$failures"
