#!/usr/bin/env bash
# The real program, ended by SIGTERM at many moments of start-up and of opening a book:
# every time it must end within a few seconds, and settings.ini must stay the file the
# last full session wrote or become a complete one holding the reader's book.
# Usage: signal_exit_test.sh TIBBOREAD BOOK
set -u
reader=$1
book=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$home
settings=$home/TibboRead/settings.ini
failures=0
# A slower build (the sanitizers') reaches each moment of start-up later: the delays and
# the wait for the end are stretched by this factor.
scale=${TIBBO_TEST_TIME_SCALE:-1}

# Runs the reader with the given arguments, sends SIGTERM after $1 seconds and prints how
# it ended: its exit status, or "hung" when it was still there 5 s later.
run_and_term() {
    local delay=$1
    shift
    "$reader" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$(awk "BEGIN { print $delay * $scale }")"
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 1 $((100 * scale))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null
        echo hung
        return
    fi
    wait "$pid"
    echo $?
}

# A first session opens the book and ends normally: its settings.ini is the reference.
status=$(run_and_term 3 "$book")
if [ "$status" != 0 ] || ! grep -aqF "$(basename "$book")" "$settings"; then
    echo "FAIL: the first session ended with $status and did not save the book"
    exit 1
fi
cp "$settings" "$home/reference.ini"

# A SIGTERM before the handler is installed ends the process by the signal (143) and
# leaves the file alone; after that, the program saves the same session and exits 0.
for delay in 0.01 0.05 0.1 0.15 0.2 0.3 0.4 0.6 0.8 1.2; do
    status=$(run_and_term "$delay")
    if [ "$status" != 0 ] && [ "$status" != 143 ]; then
        echo "FAIL: SIGTERM after ${delay}s of start-up: $status"
        failures=$((failures + 1))
    elif ! cmp -s "$settings" "$home/reference.ini"; then
        echo "FAIL: SIGTERM after ${delay}s of start-up changed settings.ini"
        failures=$((failures + 1))
    fi
done

# A SIGTERM while a message box is open (a book that cannot be read) still ends it.
status=$(run_and_term 1.5 "$home/no-such-book.txt")
if [ "$status" != 0 ] || ! cmp -s "$settings" "$home/reference.ini"; then
    echo "FAIL: SIGTERM with a message box open: $status, or settings.ini changed"
    failures=$((failures + 1))
fi

# The same while the book given on the command line is being opened: the saved book is
# always the whole book at the place it was left.
for delay in 0.1 0.3 0.6 1.0; do
    status=$(run_and_term "$delay" "$book")
    if [ "$status" != 0 ] && [ "$status" != 143 ]; then
        echo "FAIL: SIGTERM after ${delay}s of opening a book: $status"
        failures=$((failures + 1))
    elif ! cmp -s "$settings" "$home/reference.ini"; then
        echo "FAIL: SIGTERM after ${delay}s of opening a book changed settings.ini"
        failures=$((failures + 1))
    fi
done

# An HTML book is parsed in slices with its first part on show: an end during the parse
# saves the whole book, never the first part.
html=$home/book.html
for _ in 1 2 3; do LC_ALL=C sed 's/^/<p>/; s/\r$/<\/p>\r/' "$book"; done >"$html"
status=$(run_and_term 4 "$html")
cp "$settings" "$home/reference-html.ini"
# A machine under load may still be loading the program's libraries at the first delay:
# that run ends by the signal and must leave the file alone, and at least one run must
# have been answered by the reader itself.
parsed=0
for delay in 0.2 0.4 0.7; do
    status=$(run_and_term "$delay" "$book")
    cp "$settings" "$home/before-html.ini"
    status=$(run_and_term "$delay" "$html")
    if [ "$status" = 143 ] && cmp -s "$settings" "$home/before-html.ini"; then
        continue
    fi
    parsed=$((parsed + 1))
    if [ "$status" != 0 ] || ! cmp -s "$settings" "$home/reference-html.ini"; then
        echo "FAIL: SIGTERM after ${delay}s of parsing an HTML book: $status, or not the whole book"
        failures=$((failures + 1))
    fi
done
if [ "$parsed" = 0 ]; then
    echo "FAIL: no SIGTERM came while an HTML book was parsed"
    failures=$((failures + 1))
fi

leftovers=$(find "$home/TibboRead" -name '*.tmp-*' | wc -l)
if [ "$leftovers" != 0 ]; then
    echo "FAIL: $leftovers temporary files left"
    failures=$((failures + 1))
fi
[ "$failures" = 0 ] && echo "all SIGTERM runs ended cleanly"
exit "$failures"
