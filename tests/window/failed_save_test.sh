#!/usr/bin/env bash
# The real program on a virtual display with openbox, on a disk too small for the book
# (a file size limit: writes past it fail as on a full disk). A close from the window
# manager shows which file could not be written and ends only when the message is
# acknowledged; SIGTERM ends at once and says it on stderr. Either way the settings.ini
# and Slide.cache of the last good session stay as they were.
# Regression: the program ended with status 0 before its message could be seen, and the
# old Slide.cache was gone.
# Usage: failed_save_test.sh TIBBOREAD BOOK   (a book of more than 1 MB)
set -u
reader=$1
large=$2
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"
start_desktop
small=$home/small.txt
head -n 100 "$large" >"$small"

# The reader's window, once it shows (empty after 15 s).
window_of() {
    local w
    for _ in $(seq 1 $((150 * scale))); do
        w=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1)
        [ -n "$w" ] && break
        sleep 0.1
    done
    echo "$w"
}

# A good session with a small book.
"$reader" "$small" >/dev/null 2>&1 &
pid=$!
w=$(window_of $pid)
pause 2
wmctrl -ic "$w"
wait_end $pid 100
[ "$status" = 0 ] || fail "the good session ended with $status"
settings=$home/TibboRead/settings.ini
cache=$home/TibboRead/Slide.cache
cp "$settings" "$home/settings.good"
cp "$cache" "$home/cache.good"

# A large book on a disk where no file may grow past 512 KiB; SIGXFSZ is ignored, so a
# write past the limit fails (EFBIG) instead of killing the program.
run_limited() {
    (
        trap '' XFSZ
        ulimit -f 512
        exec "$reader" "$large" >/dev/null 2>"$home/stderr"
    ) &
    pid=$!
}

run_limited
w=$(window_of "$pid")
pause 3
wmctrl -ic "$w"
pause 2
if ! kill -0 "$pid" 2>/dev/null; then
    fail "the close ended the program before its message was acknowledged"
else
    box=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$box" ] || fail "no message on show after the failed save"
    [ -n "$box" ] && [ "$box" = "$w" ] && fail "the reader's window stayed instead of the message"
    [ -n "${TIBBO_SHOT:-}" ] && import -window root "$TIBBO_SHOT"
    [ -n "$box" ] && xdotool key --window "$box" Return
    wait_end "$pid" 50
    [ "$status" = 1 ] || fail "acknowledging the message ended the program with $status"
fi
cmp -s "$settings" "$home/settings.good" || fail "the failed save changed settings.ini"
cmp -s "$cache" "$home/cache.good" || fail "the failed save cost the old Slide.cache"

run_limited
window_of "$pid" >/dev/null
pause 3
kill -TERM "$pid"
wait_end "$pid" 50
[ "$status" = 1 ] || fail "SIGTERM with a failed save ended with $status, not 1 at once"
grep -q "settings.ini" "$home/stderr" || fail "SIGTERM with a failed save said nothing on stderr"
cmp -s "$settings" "$home/settings.good" || fail "the failed save at SIGTERM changed settings.ini"
cmp -s "$cache" "$home/cache.good" || fail "the failed save at SIGTERM cost the old Slide.cache"

[ "$failures" = 0 ] && echo "failed saves at exit were told and kept the last good session"
exit "$failures"
