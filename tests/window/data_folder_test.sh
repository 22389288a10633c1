#!/usr/bin/env bash
# Start-up of the real program never hangs on what it finds in its data folder:
# - FIFOs named like the temporaries of killed writes ("settings.ini.tmp-AAAAAA", a mark
#   file's) are passed over, not opened until a writer comes;
# - an options.ini that claims 2147483647 places is read for the places it holds.
# Either hung the window at start-up, with SIGTERM unanswered. Each case starts the
# reader with a book, ends it with SIGTERM after 3 s and wants it gone within 10 s with
# the book in settings.ini.
# Usage: data_folder_test.sh TIBBOREAD
set -u
reader=$(realpath "$1")
home=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL $pid 2>/dev/null; rm -rf "$home"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
book=$home/book.txt
printf 'DATA-FOLDER-BOOK line\r\n' >"$book"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs the reader on a data folder prepared by the function named $2; $1 says the case.
run_case() {
    local what=$1 prepare=$2
    export XDG_DATA_HOME=$home/$prepare
    mkdir -p "$XDG_DATA_HOME/TibboRead"
    "$prepare" "$XDG_DATA_HOME/TibboRead"
    "$reader" "$book" >"$home/$prepare.err" 2>&1 &
    pid=$!
    sleep 3
    kill -TERM "$pid"
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$what: start-up hung, SIGTERM was not answered"
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null
        pid=
        return
    fi
    wait "$pid"
    local status=$?
    pid=
    [ "$status" = 0 ] || fail "$what: the reader ended with $status"
    grep -aq "DATA-FOLDER-BOOK" "$XDG_DATA_HOME/TibboRead/settings.ini" ||
        fail "$what: settings.ini does not hold the book"
}

fifo_temporaries() {
    mkfifo "$1/settings.ini.tmp-AAAAAA" "$1/book.txt.mark.tmp-BBBBBB" "$1/Slide.cache.tmp-CCCCCC"
}
run_case "FIFOs named like temporaries" fifo_temporaries
for name in settings.ini.tmp-AAAAAA book.txt.mark.tmp-BBBBBB Slide.cache.tmp-CCCCCC; do
    [ -p "$home/fifo_temporaries/TibboRead/$name" ] || fail "the FIFO $name was removed"
done

# It holds two places, the book's own among them: both are kept.
claimed_places() {
    printf '[places]\n1\\path=%s\n1\\offset=0\n2\\path=/nowhere.txt\n2\\offset=5\nsize=2147483647\n' \
        "$book" >"$1/options.ini"
}
run_case "an options.ini claiming 2147483647 places" claimed_places
options=$home/claimed_places/TibboRead/options.ini
grep -q "path=/nowhere.txt$" "$options" && grep -q "^size=[0-9]$" "$options" ||
    fail "options.ini was not written back with the places it holds: $(cat "$options")"

[ "$failures" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$failures"
