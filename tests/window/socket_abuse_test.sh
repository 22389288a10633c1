#!/usr/bin/env bash
# The real program's single-instance socket under abuse by other processes:
# - a socket folder that is not the user's own (another owner, open to all, a link) is
#   refused: a launch runs on its own and hands its book to no one;
# - a process of another user is not served (as root: one running as nobody);
# - silent connections are closed after a few seconds, 1100 of them under a limit of
#   1024 descriptors leave the socket in place, and a socket file removed under the
#   reader is made again: a later launch still hands over instead of running a second
#   reader;
# - a path with a line feed comes over whole, and messages that do not parse are dropped
#   without an answer.
# Usage: socket_abuse_test.sh TIBBOREAD SOCKET_PROBE
set -u
reader=$(realpath "$1")
probe=$(realpath "$2")
home=$(mktemp -d)
readers=()
cleanup() {
    for pid in "${readers[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    [ -n "${holder:-}" ] && kill "$holder" 2>/dev/null
    chmod -R u+rwx "$home" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$home/data TMPDIR=$home/tmp
unset XDG_RUNTIME_DIR
mkdir -p "$TMPDIR" "$XDG_DATA_HOME"
chmod 755 "$home" "$TMPDIR"
uid=$(id -u)
folder=$TMPDIR/TibboRead-$uid
hash=$(printf '%s' "$XDG_DATA_HOME/TibboRead" | sha1sum | cut -c1-12)
sock=$folder/TibboRead-$uid-$hash
settings=$XDG_DATA_HOME/TibboRead/settings.ini
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

book=$home/book.txt
printf 'FIRST-BOOK line one\r\nFIRST-BOOK line two\r\n' >"$book"
other=$home/other.txt
printf 'OTHER-BOOK text\r\n' >"$other"
# A line feed in the name: the running reader must be handed all of it and refuse it
# (settings.ini keeps one path a line), never open the "a" before the line feed.
newline=$home/$'a\nb.txt'
printf 'NEWLINE-NAMED-BOOK text\r\n' >"$newline"
printf 'WRONG-BOOK-A text\r\n' >"$home/a"
# Blanks, quotes, a backslash, Chinese and a blank at the end: opened exactly.
odd="$home/红楼 \"梦\"\\ x.txt "
printf 'ODD-NAMED-BOOK text\r\n' >"$odd"

# Waits up to $2 tenths of a second for process $1 to end; sets status (or "running").
wait_for() {
    for _ in $(seq 1 "$2"); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        status=running
        return
    fi
    wait "$1"
    status=$?
}

# Starts a reader in the background (arguments: its book) and sets started to its pid.
start_reader() {
    "$reader" "$@" >>"$home/reader.err" 2>&1 &
    started=$!
    readers+=("$started")
}

# Ends reader $1 with SIGTERM, as the desktop would; it must end within 10 s.
end_reader() {
    kill -TERM "$1" 2>/dev/null
    wait_for "$1" 100
    [ "$status" = 0 ] || fail "the reader ended with $status"
}

wait_for_socket() {
    for _ in $(seq 1 100); do
        [ -S "$sock" ] && return 0
        sleep 0.1
    done
    return 1
}

# A launch that must run on its own: it is still running after 3 s and its stderr names
# the refused folder. $1: what the case is; the rest: the folder the reader must name.
expect_refused() {
    local what=$1 named=$2
    : >"$home/reader.err"
    start_reader "$book"
    wait_for "$started" 30
    if [ "$status" != running ]; then
        fail "$what: the launch ended with $status instead of running on its own"
        return
    fi
    grep -qF "$named" "$home/reader.err" || fail "$what: stderr did not name $named"
    end_reader "$started"
}

# ---- the socket folder -------------------------------------------------------------------
# Missing: made private, and the hand-over works.
start_reader "$book"
first=$started
wait_for_socket || fail "no socket at $sock"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the socket folder was made $(stat -c %a "$folder")"
start_reader "$other"
wait_for "$started" 50
[ "$status" = 0 ] || fail "a hand-over through a private folder ended with $status"

# A process of another user is not served. It is let through the folder for the test;
# the reader still asks the kernel who is at the other end. Without root there is no
# other user: the same message from this user is served.
before=$(date +%s)
chmod 711 "$folder"
chmod 777 "$sock"
if [ "$uid" = 0 ]; then
    out=$(printf 'TibboRead-open %s\n%s' "${#book}" "$book" | "$probe" as-nobody send "$sock" 2>&1)
    grep -q "^answer: $" <<<"$out" && grep -q "closed after" <<<"$out" ||
        fail "a client running as nobody was answered: $out"
else
    out=$(printf 'TibboRead-open %s\n%s' "${#book}" "$book" | "$probe" send "$sock")
    grep -q '^answer: ok\\n$' <<<"$out" || fail "a client of this user was not answered: $out"
fi
chmod 700 "$folder"
end_reader "$first"
grep -aq "OTHER-BOOK" "$settings" || fail "the reader did not keep the book handed over"

# Open to all, as another user could have made it: the reader neither listens there nor
# hands its book to whoever does.
rm -rf "$folder"
mkdir -m 777 "$folder"
chmod 777 "$folder"
"$probe" listen "$sock" 6 >"$home/listener.out" &
listener=$!
sleep 0.5
expect_refused "a folder open to all" "$folder"
wait "$listener"
grep -q "^received" "$home/listener.out" && fail "a listener in a folder open to all got: $(cat "$home/listener.out")"

# A link to a private folder of the user's own: refused as a link.
rm -rf "$folder"
mkdir -m 700 "$home/elsewhere"
ln -s "$home/elsewhere" "$folder"
expect_refused "a link" "$folder"
[ -e "$home/elsewhere/TibboRead-$uid-$hash" ] && fail "the reader listened through a link"
rm "$folder"

# Another user's folder, mode 0700. As root one is made for nobody; otherwise the
# runtime folder is pointed at a folder of root's.
if [ "$uid" = 0 ]; then
    mkdir -m 700 "$folder"
    chown 65534:65534 "$folder"
    "$probe" as-nobody listen "$sock" 6 >"$home/listener.out" &
    listener=$!
    sleep 0.5
    expect_refused "a folder of nobody's" "$folder"
    wait "$listener"
    grep -q "^received" "$home/listener.out" &&
        fail "nobody's listener got: $(cat "$home/listener.out")"
    rm -rf "$folder"
else
    XDG_RUNTIME_DIR=/root expect_refused "a folder of root's" /root
fi

# The refusal shows a message and the reader still works; nothing is written anywhere
# but the data folder.
[ -z "$(ls -A "$home/elsewhere")" ] || fail "files appeared in the link's folder"

# ---- silent clients ------------------------------------------------------------------------
start_reader "$book"
first=$started
wait_for_socket || fail "no socket after the refusals"
out=$("$probe" silent "$sock")
ms=$(sed -n 's/^closed after \([0-9]*\) ms$/\1/p' <<<"$out")
[ -n "$ms" ] && [ "$ms" -lt 8000 ] || fail "a silent connection was not closed: $out"
end_reader "$first"

# 1100 silent connections against a limit of 1024 descriptors: the reader keeps its
# socket, and the next launch hands over instead of becoming a second reader.
(ulimit -n 1024 && exec "$reader" "$book" >>"$home/reader.err" 2>&1) &
first=$!
readers+=("$first")
wait_for_socket || fail "no socket under a limit of 1024 descriptors"
sleep 1
"$probe" hold "$sock" 1100 15 >"$home/hold.out" &
holder=$!
for _ in $(seq 1 200); do
    grep -q connected "$home/hold.out" && break
    sleep 0.1
done
grep -q "connected 1100" "$home/hold.out" || fail "the silent clients got $(cat "$home/hold.out")"
[ -S "$sock" ] || fail "the socket file went away under 1100 silent connections"
start_reader "$other"
wait_for "$started" 80
[ "$status" = 0 ] || fail "a launch beside 1100 silent connections ended with $status"
wait "$holder"
holder=
grep -q "closed 1100" "$home/hold.out" || fail "silent connections stayed open: $(cat "$home/hold.out")"
kill -0 "$first" 2>/dev/null || fail "the reader under 1100 silent connections is gone"

# The socket file removed under the reader is made again.
rm -f "$sock"
wait_for_socket || fail "the removed socket file was not made again"
start_reader "$book"
wait_for "$started" 50
[ "$status" = 0 ] || fail "a hand-over after the socket file was removed ended with $status"

# ---- what a hand-over carries ----------------------------------------------------------------
# A path with a line feed comes over whole and is refused there; an odd one is opened.
for path in "$newline" "$odd"; do
    start_reader "$path"
    wait_for "$started" 50
    [ "$status" = 0 ] || fail "handing over $(printf '%q' "$path") ended with $status"
    sleep 1
done
# Messages that do not parse: the old one-line form, a length beyond any path, more
# bytes than the length, a relative path, no header at all. None is answered.
bad=(
    "$book"$'\n'
    $'TibboRead-open 99999999\n'"$book"
    "TibboRead-open 3"$'\n'"/a/b.txt"
    $'TibboRead-open 5\nb.txt'
    "$(head -c 100 /dev/zero | tr '\0' x)"
)
for message in "${bad[@]}"; do
    out=$(printf '%s' "$message" | "$probe" send "$sock")
    grep -q "^answer: $" <<<"$out" && grep -q "closed after" <<<"$out" ||
        fail "a message that does not parse was answered or kept: $(printf '%q' "$message"): $out"
done
out=$(printf 'TibboRead-open 3\n/a\0' | "$probe" send "$sock")
grep -q "^answer: $" <<<"$out" || fail "a path with a NUL was answered: $out"
# The same form with a good path is answered (so the ones above were refused for their
# fault, not for their form).
out=$(printf 'TibboRead-open 0\n' | "$probe" send "$sock")
grep -q '^answer: ok\\n$' <<<"$out" || fail "a message without a book was not answered: $out"
end_reader "$first"
# Every book the reader leaves gets its place in options.ini.
grep -aq "WRONG-BOOK-A" "$settings" || grep -q "path=$home/a$" "$XDG_DATA_HOME/TibboRead/options.ini" &&
    fail "a path with a line feed was cut: the reader opened $home/a"
grep -aq "ODD-NAMED-BOOK" "$settings" || fail "the book with an odd name was not opened"

[ "$failures" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$failures"
