#!/usr/bin/env bash
# The real program under a real X server and window manager, as a person selects a passage:
# Ctrl + drag from the left page over the fold onto the right page, then Ctrl+C. The
# clipboard, read back with xclip as another program would, holds the book's own text (each
# of its lines is in the book, a paragraph end is a line break, the display's breaks are
# not), and the X primary selection the same. Esc clears it: a second Ctrl+C changes
# nothing, and a plain click still turns the page.
# Usage: selection_clipboard_test.sh TIBBOREAD BOOK
set -u
reader=$1
book=$2
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"
start_desktop

# The book as UTF-8 with its paragraphs on lines of their own.
iconv -f GB18030 -t UTF-8 "$book" | tr -d '\r' >"$home/book.txt"

# A reader who has answered Tibbo's offer of fine typesetting: the offer in the bubble
# would go with the first key and change what the window shows.
mkdir -p "$XDG_DATA_HOME/TibboRead"
printf '[General]\nfineTypesettingOffered=true\n' >"$XDG_DATA_HOME/TibboRead/options.ini"
"$reader" "$book" >"$home/reader.log" 2>&1 &
pid=$!
background_pids+=("$pid")
find_window "$pid"
[ -n "$w" ] || { fail "the reader's window did not show"; exit 1; }
pause 2
xdotool windowactivate --sync "$w" 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$w")"
# What the window shows, to tell whether a page turned (the title names the chapter only).
looks() { import -window "$w" png:- 2>/dev/null | md5sum; }
first_look=$(looks)

xdotool mousemove $((X + 90)) $((Y + 75)) keydown ctrl mousedown 1
xdotool mousemove $((X + 300)) $((Y + 200)) sleep 0.2 mousemove $((X + 520)) $((Y + 230)) sleep 0.2
xdotool mouseup 1 keyup ctrl
pause 0.5
xdotool key ctrl+c
pause 0.5
xclip -o -selection clipboard >"$home/copied.txt" 2>/dev/null
xclip -o -selection primary >"$home/primary.txt" 2>/dev/null

lines=$(grep -c '' "$home/copied.txt")
[ "$lines" -ge 2 ] || fail "the copy over the fold holds no paragraph end: $(cat "$home/copied.txt")"
[ "$(wc -m <"$home/copied.txt")" -ge 40 ] || fail "too little copied: $(cat "$home/copied.txt")"
grep -q '\^' "$home/copied.txt" && fail "the paragraph mark was copied"
while IFS= read -r copied_line; do
    [ -z "$copied_line" ] && continue
    grep -qF -- "$copied_line" "$home/book.txt" ||
        fail "a copied line is not the book's text (a display break copied?): $copied_line"
done <"$home/copied.txt"
cmp -s "$home/copied.txt" "$home/primary.txt" || fail "the primary selection differs from the clipboard"

# Esc clears the selection: Ctrl+C then leaves the clipboard as it was.
printf 'kept' | xclip -selection clipboard
xdotool key Escape
pause 0.3
xdotool key ctrl+c
pause 0.5
[ "$(xclip -o -selection clipboard)" = kept ] || fail "Ctrl+C copied after Esc cleared the selection"

[ "$(looks)" = "$first_look" ] || fail "the band or the menu stayed after Esc, or a page turned"

# A plain click on the right page turns it, as ever.
xdotool mousemove $((X + 600)) $((Y + 200)) click 1
pause 1
[ "$(looks)" != "$first_look" ] || fail "a plain click no longer turns the page"

kill "$pid" 2>/dev/null
[ "$failures" = 0 ] && echo "selected over the fold, copied the book's text: $(head -c 60 "$home/copied.txt")"
exit "$failures"
