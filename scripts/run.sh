#!/usr/bin/env bash
# Builds and starts the reader. Arguments go to the program (a book file to open).
# Without a display the reader runs on a virtual one and a screenshot is written.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
bin="$root/build/src/window/tibboread"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "$@"
fi
shot_dir="$root/shots"
mkdir -p "$shot_dir"
shot="$shot_dir/tibboread-$(date +%Y%m%d-%H%M%S).png"
disp=:$((90 + RANDOM % 9))
Xvfb "$disp" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$disp "$bin" "$@" &
app=$!
sleep "${TIBBO_SHOT_DELAY:-4}"
DISPLAY=$disp import -window root "$shot"
echo "screenshot: $shot"
