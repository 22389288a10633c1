#!/usr/bin/env bash
# The real program's command line and one reader at a time: --help and --version answer
# and exit, a wrong command line exits 2 with a message, a book that cannot be read names
# itself; a second launch hands its book to the running reader and exits 0 at once
# without writing settings.ini; a socket left by a killed reader is taken over.
# Usage: single_instance_test.sh TIBBOREAD BOOK OTHER_BOOK
set -u
reader=$(realpath "$1")
book=$(realpath "$2")
other=$(realpath "$3")
home=$(mktemp -d)
trap 'kill $first 2>/dev/null; rm -rf "$home"' EXIT
first=
export XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
settings=$XDG_DATA_HOME/TibboRead/settings.ini
options=$XDG_DATA_HOME/TibboRead/options.ini
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Waits up to 10 s for process $1 to end and sets status to its exit status, or "hung".
wait_for() {
    for _ in $(seq 1 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$1" 2>/dev/null; then
        kill -KILL "$1"
        wait "$1" 2>/dev/null
        status=hung
        return
    fi
    wait "$1"
    status=$?
}

# ---- the command line, without a display ----------------------------------------------
out=$(env -u QT_QPA_PLATFORM DISPLAY= WAYLAND_DISPLAY= "$reader" --version 2>&1)
[ $? = 0 ] && [ "$out" = "TibboRead 2.3" ] || fail "--version printed '$out'"
out=$(env -u QT_QPA_PLATFORM DISPLAY= WAYLAND_DISPLAY= "$reader" --help 2>&1)
[ $? = 0 ] && grep -q -- "--version" <<<"$out" && grep -q "book" <<<"$out" ||
    fail "--help printed '$out'"
out=$("$reader" "$book" "$other" 2>&1)
status=$?
[ $status = 2 ] && grep -qF "$(basename "$other")" <<<"$out" ||
    fail "two books: status $status, '$out'"
out=$("$reader" --no-such-option 2>&1)
status=$?
[ $status = 2 ] && grep -q -- "no-such-option" <<<"$out" || fail "unknown option: status $status"
[ -e "$settings" ] && fail "a refused command line wrote settings.ini"

# A book that cannot be read is named on stderr by its full path; the reader still runs.
(cd "$home" && exec "$reader" missing.txt >"$home/missing.out" 2>&1) &
missing=$!
sleep 2
kill -TERM "$missing"
wait_for "$missing"
[ "$status" = 0 ] || fail "the reader given a missing book ended with $status"
grep -qF "$home/missing.txt" "$home/missing.out" || fail "stderr did not name $home/missing.txt"

# ---- one reader at a time --------------------------------------------------------------
"$reader" "$book" >/dev/null 2>&1 &
first=$!
sleep 3
cp "$settings" "$home/before.ini"
# A relative path is made absolute before it is handed over.
start=$(date +%s%N)
(cd "$(dirname "$other")" && exec "$reader" "$(basename "$other")" >/dev/null 2>&1) &
second=$!
wait_for "$second"
took=$((($(date +%s%N) - start) / 1000000))
[ "$status" = 0 ] || fail "the second launch ended with $status"
[ "$took" -lt 3000 ] || fail "the second launch took ${took} ms"
cmp -s "$settings" "$home/before.ini" || fail "the second launch changed settings.ini"
# A launch without a book only brings the first to the front.
"$reader" >/dev/null 2>&1 &
wait_for $!
[ "$status" = 0 ] || fail "a second launch without a book ended with $status"
sleep 1
kill -0 "$first" 2>/dev/null || fail "the first reader is gone"
kill -TERM "$first"
wait_for "$first"
first=
[ "$status" = 0 ] || fail "the first reader ended with $status"
grep -aqF "$other" "$settings" || fail "the first reader did not open the handed-over book"
# The first book was left for the second; the second was left on the way out.
grep -aqF "$book" "$options" && grep -aqF "$other" "$options" ||
    fail "options.ini does not hold both places: $(cat "$options" 2>/dev/null)"

# ---- a killed reader's socket ------------------------------------------------------------
"$reader" "$book" >/dev/null 2>&1 &
killed=$!
sleep 2
kill -KILL "$killed"
wait "$killed" 2>/dev/null
"$reader" "$other" >/dev/null 2>&1 &
first=$!
sleep 2
kill -0 "$first" 2>/dev/null || fail "a launch after a killed reader did not stay"
"$reader" "$book" >/dev/null 2>&1 &
wait_for $!
[ "$status" = 0 ] || fail "a hand-over to the reader after a killed one ended with $status"
sleep 1
kill -TERM "$first"
wait_for "$first"
first=
[ "$status" = 0 ] || fail "the reader after a killed one ended with $status"
grep -aqF "$book" "$settings" || fail "the reader after a killed one did not take the hand-over"

[ "$failures" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$failures"
