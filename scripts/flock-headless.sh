#!/usr/bin/env bash
# Plays Flock for a few seconds on $DISPLAY (scripts/play-flock.sh gives it a
# private Xvfb): runs the dog with the arrow keys and barks at the flock with
# a click, saves a screenshot, then closes the window as a window manager's
# close button does. Exits with the game's status; when the game fails, prints
# its output and the X server's log ($XVFB_LOG, from scripts/with-xvfb.sh).
# Usage: scripts/flock-headless.sh BUILD_DIR SCREENSHOT.png
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../tests/e2e/x11_drive.sh"
. "$here/../examples/flock/flock.names"
drive_setup native "$1"
shot="$2" log="$drive_build/flock-headless"

show_why() {
  echo "play: Flock's output:"
  cat "$log.out" "$log.err" | sed 's/^/  /'
  [ -z "${XVFB_LOG:-}" ] || { echo "play: the X server's log:"; sed 's/^/  /' "$XVFB_LOG"; }
  exit 1
}

start_program "$drive_build/examples/flock" flock "$log"
trap 'kill "$program" 2>/dev/null || true' EXIT
# A cold machine may take tens of seconds to show the window.
find_window "$FLOCK_CAPTION" 60 || { echo "play: the $FLOCK_CAPTION window did not appear"; show_why; }

focus "$window"
xdotool mousemove --window "$window" 330 250
xdotool keydown Right sleep 0.9 keyup Right keydown Up sleep 0.5 keyup Up sleep 0.4
xdotool keydown Down sleep 1.2 keyup Down keydown Right sleep 0.5 keyup Right
xdotool mousemove --window "$window" 200 170 sleep 0.2 click 1 sleep 0.15
"$drive_build/tests/window_driver" screenshot "$FLOCK_CAPTION" "$shot" || show_why
echo "play: screenshot saved to $shot"

close_window "$window" "$FLOCK_CAPTION"
wait_program 10
trap - EXIT
echo "play: Flock exited with status $status"
[ "$status" = 0 ] || show_why
