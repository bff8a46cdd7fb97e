#!/usr/bin/env bash
# Plays Brickfall for a few seconds on $DISPLAY (play.sh runs it on a private
# Xvfb), sweeping the pointer, then saves a screenshot and closes the window as
# a window manager's close button does. Exits with the game's status.
# Usage: scripts/play-headless.sh BUILD_DIR SCREENSHOT.png
set -euo pipefail
build="$1" shot="$2"
. "$(dirname "$0")/../demo/brickfall.names"
caption="$BRICKFALL_CAPTION"
driver="$build/tests/window_driver"
game=""
trap '[ -n "$game" ] && kill "$game" 2>/dev/null' EXIT

# The game opens its pictures by relative name: start it beside them.
(cd "$build/demo" && exec ./Brickfall) &
game=$!
for _ in $(seq 200); do xdotool search --name "^$caption\$" >/dev/null 2>&1 && break; sleep 0.05; done
xdotool search --name "^$caption\$" >/dev/null || { echo "play: the $caption window did not appear"; exit 1; }

# The window's left edge is at x = 100 on the screen.
for x in 420 520 620 560 460 360 260 160 260 360; do
  xdotool mousemove "$x" 540
  sleep 0.4
done
"$driver" screenshot "$caption" "$shot"
echo "play: screenshot saved to $shot"

"$driver" close "$caption"
status=0
wait "$game" || status=$?
game=""
echo "play: Brickfall exited with status $status"
exit "$status"
