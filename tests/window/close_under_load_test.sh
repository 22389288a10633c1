#!/usr/bin/env bash
# The real program under load (two busy loops on the machine's cores), on a virtual
# display with openbox and a notification area: a restored book, Left and Page Up, then
# a close request (WM_DELETE_WINDOW through WM_PROTOCOLS) at a different moment each
# round, sent by the window manager to the reader's window or straight to the program's
# other window, the tray icon's. Every request must end the program with settings.ini
# written.
# Regression: a close request that reached the tray icon's window (named "TibboRead" like
# the reader's window before its title names the book) only hid the icon; the reader ran
# on, ignored every later request to it, and only a kill ended it, with nothing saved.
# Usage: close_under_load_test.sh TIBBOREAD BOOK [ROUNDS]
set -u
reader=$1
book=$2
rounds=${3:-10}
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"
start_desktop tray
settings=$home/TibboRead/settings.ini

# WM_DELETE_WINDOW through WM_PROTOCOLS, sent to the window as a window manager does.
# Fails when the window is gone: Qt may replace the tray icon's first window by one of
# another visual once the notification area answers, and a request to the old one
# reaches nobody.
send_close() {
    /usr/bin/python3 - "$1" <<'EOF'
import sys
from Xlib import X, display, error, protocol
d = display.Display()
w = d.create_resource_object('window', int(sys.argv[1]))
try:
    w.get_attributes()
    protocols = d.intern_atom('WM_PROTOCOLS')
    message = protocol.event.ClientMessage(
        window=w, client_type=protocols,
        data=(32, [d.intern_atom('WM_DELETE_WINDOW'), X.CurrentTime, 0, 0, 0]))
    w.send_event(message, event_mask=0)
    d.sync()
except error.XError:
    sys.exit(1)
EOF
}

# Sets main and icon to the reader's window and the tray icon's once both show.
find_windows() {
    main= icon=
    for _ in $(seq 1 $((300 * scale))); do
        for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            if [ "$WIDTH" -gt 100 ]; then main=$w; else icon=$w; fi
        done
        [ -n "$main" ] && [ -n "$icon" ] && return 0
        sleep 0.05
    done
    return 1
}

# A session that leaves the book and its Slide.cache to restore.
"$reader" "$book" >/dev/null 2>&1 &
pid=$!
find_windows $pid || { echo "FAIL: the first session showed no window"; exit 1; }
pause 2
wmctrl -ic "$main"
wait_end $pid 200
[ "$status" = 0 ] && [ -s "$settings" ] || { echo "FAIL: the first session ended with $status"; exit 1; }

yes >/dev/null &
background_pids+=($!)
yes >/dev/null &
background_pids+=($!)

ended=0
for round in $(seq 1 "$rounds"); do
    touch -d '1 minute ago' "$settings"
    touch -d '30 seconds ago' "$home/before"
    "$reader" >/dev/null 2>&1 &
    pid=$!
    if ! find_windows $pid; then
        echo "FAIL: round $round: no window"
        kill -KILL $pid
        continue
    fi
    sleep "0.$((round % 4 * 3))"
    xdotool key --window "$main" Left Prior 2>/dev/null
    if [ $((round % 2)) = 1 ]; then
        target=reader
        wmctrl -ic "$main"
    else
        target="tray icon"
        # A request that reached no window (see send_close) is sent again to the window
        # that stands now; one that reached the window must end the program.
        for _ in 1 2 3; do
            send_close "$icon" && break
            echo "round $round: the tray icon's window $icon is gone; sending to the one now"
            sleep 0.2
            find_windows $pid
        done
    fi
    wait_end $pid 200
    if [ "$status" != 0 ]; then
        echo "FAIL: round $round: a close request to the $target window: $status"
    elif [ ! "$settings" -nt "$home/before" ]; then
        echo "FAIL: round $round: the close to the $target window did not write settings.ini"
    else
        ended=$((ended + 1))
    fi
done
echo "$ended of $rounds close requests under load ended the reader with settings.ini written"
[ "$ended" = "$rounds" ]
