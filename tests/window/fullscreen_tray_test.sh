#!/usr/bin/env bash
# The real program on a virtual display with openbox and a notification area: the window
# comes back from the tray in the state it left, and the exit stores that state.
# Regression: after F11 and Esc, hiding to the tray and clicking the icon brought the
# window back full screen, Esc did nothing, and every later start was full screen.
# Usage: fullscreen_tray_test.sh TIBBOREAD BOOK
set -u
reader=$1
book=$2
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"
start_desktop tray

geometry() {
    eval "$(xdotool getwindowgeometry --shell "$w")"
    echo "${WIDTH}x${HEIGHT}"
}
full_screen_state() {
    xprop -id "$w" _NET_WM_STATE 2>/dev/null | grep -c _NET_WM_STATE_FULLSCREEN
}
# Hides the window by a right click on the mascot in its bottom-right corner, then
# brings it back by a click on the tray icon.
round_trip() {
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + WIDTH - 18)) $((Y + HEIGHT - 20)) click 3
    pause 1
    xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -qx "$w" &&
        fail "$1: the mascot's right click did not hide the window"
    xdotool mousemove 1012 12 click 1
    pause 1.5
}

# way: "normal" leaves full screen before the round trip, "full" stays in it.
check() {
    local way=$1
    rm -f "$home/TibboRead/settings.ini"
    "$reader" "$book" >/dev/null 2>&1 &
    pid=$!
    find_window "$pid"
    pause 2
    xdotool windowactivate --sync "$w" 2>/dev/null
    local before
    before=$(geometry)
    xdotool key F11
    pause 1.5
    [ "$(geometry)" = 1024x768 ] || fail "$way: F11 gave $(geometry)"
    if [ "$way" = normal ]; then
        xdotool key Escape
        pause 1.5
        [ "$(geometry)" = "$before" ] || fail "$way: Esc gave $(geometry), not $before"
    fi
    round_trip "$way"
    [ -n "${TIBBO_SHOT:-}" ] && import -window root "$TIBBO_SHOT-$way.png"
    if [ "$way" = normal ]; then
        [ "$(geometry)" = "$before" ] || fail "$way: back from the tray as $(geometry)"
        [ "$(full_screen_state)" = 0 ] || fail "$way: back from the tray in full screen"
    else
        [ "$(geometry)" = 1024x768 ] || fail "$way: back from the tray as $(geometry)"
        xdotool key Escape
        pause 1.5
        [ "$(geometry)" = "$before" ] || fail "$way: Esc after the tray gave $(geometry)"
        xdotool key F11
        pause 1.5
    fi
    wmctrl -ic "$w"
    wait_end "$pid" 100
    [ "$status" = running ] && fail "$way: the close did not end the reader"
    local stored
    stored=$(head -n 1 "$home/TibboRead/settings.ini" | tr -d '\r')
    local wanted=" 0 "
    [ "$way" = full ] && wanted=" 2 "
    [ "$stored" = "$wanted" ] || fail "$way: the exit stored window state '$stored', not '$wanted'"
}

check normal
check full
[ "$failures" = 0 ] && echo "the window came back from the tray as it left, both ways"
exit "$failures"
