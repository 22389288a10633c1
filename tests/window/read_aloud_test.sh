#!/usr/bin/env bash
# The real program reading a novel aloud through the real speech stack, as a person on a
# desktop would use it: R starts, the sentence read is tinted on the pages and the tint
# moves, a spread turns by itself, Space pauses, Esc stops; the screen saver is asked to
# keep the screen on and told when it may blank again, also when SIGTERM ends the reader
# while it reads.
#
# Nothing of the machine is used: the reader starts speech-dispatcher itself, which reads
# its configuration from the test's own home (espeak-ng as the voice, libao for the sound,
# libao's null driver as the sink, so no sound card is needed), and a private session bus
# carries the probe that plays the desktop's screen saver.
# Usage: read_aloud_test.sh TIBBOREAD SCREENSAVER_PROBE BOOK
set -u
reader=$1
probe=$2
book=$3
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"
start_desktop

export HOME=$home XDG_CONFIG_HOME=$home/config
unset SPEECHD_ADDRESS SPEECHD_HOST SPEECHD_PORT
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher"
printf 'AudioOutputMethod "libao"\nDefaultModule espeak-ng\n' \
    >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
printf 'default_driver=null\n' >"$home/.libao"
speechd_pid_file=$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid

dbus-daemon --session --fork --address="unix:path=$home/bus" --print-pid >"$home/bus.pid"
background_pids+=("$(cat "$home/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS=unix:path=$home/bus
"$probe" >"$home/probe.log" 2>&1 &
background_pids+=($!)
for _ in $(seq 1 $((50 * scale))); do grep -q ready "$home/probe.log" && break; sleep 0.1; done
grep -q ready "$home/probe.log" || fail "the screen saver probe did not start: $(cat "$home/probe.log")"

# The day theme's band over the paper, as it shows on the screen.
tint='srgb(252,224,155)'
# The box of the band's pixels on the pages ("WxH+X+Y", 0x0 for none). The mascot's
# corner is left out: its fur has the band's colour.
band() {
    eval "$(xdotool getwindowgeometry --shell "$w")"
    import -window root "$home/shot.png" 2>/dev/null
    local box
    box=$(convert "$home/shot.png" -crop "$((WIDTH - 70))x${HEIGHT}+${X}+${Y}" +repage -fuzz 2% \
        -fill white -opaque "$tint" -fill black +opaque white -format '%@' info: 2>/dev/null)
    case $box in
    0x0* | '') echo 0x0 ;;
    *) echo "$box" ;;
    esac
}
title() { xdotool getwindowname "$w"; }

start_reader() {
    "$reader" "$book" >>"$home/reader.log" 2>&1 &
    pid=$!
    find_window "$pid"
    [ -n "$w" ] || { fail "the reader's window did not show"; exit 1; }
    pause 2
    xdotool windowactivate --sync "$w" 2>/dev/null
}

# A reader who has answered the mascot's offer of fine typesetting: its bubble would
# cover the pages' corner where the band is looked for.
mkdir -p "$XDG_DATA_HOME/TibboRead"
printf '[General]\nfineTypesettingOffered=true\n' >"$XDG_DATA_HOME/TibboRead/options.ini"
start_reader
[ "$(band)" = 0x0 ] || fail "a band on the pages before reading aloud"
first_title=$(title)
xdotool key r

# The band shows and moves from sentence to sentence; the spread turns by itself.
bands=()
turned=
for _ in $(seq 1 $((60 * scale))); do
    b=$(band)
    [ "$b" != 0x0 ] && { [ ${#bands[@]} = 0 ] || [ "$b" != "${bands[-1]}" ]; } && bands+=("$b")
    [ "$(title)" != "$first_title" ] && turned=yes
    [ ${#bands[@]} -ge 3 ] && [ -n "$turned" ] && break
    sleep 0.5
done
distinct=$(printf '%s\n' "${bands[@]:-}" | sort -u | grep -vc '^$')
[ "$distinct" -ge 2 ] || fail "the band did not move: ${bands[*]:-none}"
[ -n "$turned" ] || fail "no spread turned by itself (title still $first_title)"
grep -q '^inhibit [0-9]* TibboRead' "$home/probe.log" ||
    fail "the screen saver was not asked to keep the screen on"

# Space pauses: the band stays where it is; Space again goes on.
xdotool key space
pause 1
paused=$(band)
paused_title=$(title)
pause 2
[ "$paused" != 0x0 ] || fail "no band while paused"
[ "$(band)" = "$paused" ] && [ "$(title)" = "$paused_title" ] || fail "the reading went on while paused"
xdotool key space
moved=
for _ in $(seq 1 $((20 * scale))); do
    [ "$(band)" != "$paused" ] && moved=yes && break
    sleep 0.5
done
[ -n "$moved" ] || fail "Space did not resume the reading"

# Esc stops: the band goes, the screen may blank again, the spread on show stays.
xdotool key Escape
pause 1
[ "$(band)" = 0x0 ] || fail "the band stayed after Esc"
stopped_title=$(title)
pause 2
[ "$(title)" = "$stopped_title" ] || fail "a spread turned after Esc"
grep -q '^uninhibit 1$' "$home/probe.log" || fail "the screen saver was not released on Esc"

# SIGTERM while reading: the reader ends at once and releases the screen.
xdotool key r
for _ in $(seq 1 $((20 * scale))); do grep -q '^inhibit 2' "$home/probe.log" && break; sleep 0.5; done
[ "$(band)" != 0x0 ] || fail "R did not start the reading again"
kill -TERM "$pid"
wait_end "$pid" $((100))
[ "$status" = 0 ] || fail "SIGTERM while reading aloud ended with $status"
grep -q '^uninhibit 2$' "$home/probe.log" || fail "the screen saver was not released on SIGTERM"
grep -q 'readAloudFrom' "$home/TibboRead/options.ini" || fail "the sentence read last was not kept"

# speech-dispatcher, started by the reader, ends with the test.
if [ -s "$speechd_pid_file" ]; then
    kill "$(cat "$speechd_pid_file")" 2>/dev/null
fi
cat "$home/probe.log"
[ "$failures" = 0 ] && echo "read aloud with the real speech stack: tint moved, spreads turned"
exit "$failures"
