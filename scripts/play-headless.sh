#!/usr/bin/env bash
# Plays Brickfall for a few seconds on $DISPLAY (play.sh runs it on a private
# Xvfb), sweeping the pointer, then saves a screenshot and closes the window as
# a window manager's close button does. Exits with the game's status; when the
# game fails, prints its output and the X server's log ($XVFB_LOG, which
# scripts/with-xvfb.sh sets).
# Usage: scripts/play-headless.sh BUILD_DIR SCREENSHOT.png
# PLAY_WRAPPER, when set, is a command the game is started through (as in
# `$PLAY_WRAPPER ./Brickfall`): the tests slow the start down or break it so.
set -euo pipefail
build="$1" shot="$2"
. "$(dirname "$0")/../demo/brickfall.names"
caption="$BRICKFALL_CAPTION"
driver="$build/tests/window_driver"
log="$build/brickfall-headless.log"
# A cold machine loads every library from disk and builds the font cache
# before the window shows: that can take tens of seconds.
start_limit=60
close_limit=10
game="" status=0
trap '[ -n "$game" ] && kill "$game" 2>/dev/null' EXIT

show_output() {
  [ -s "$log" ] || return 1
  echo "play: Brickfall's output:"
  sed 's/^/  /' "$log"
}

show_why() {
  show_output || echo "play: Brickfall printed nothing"
  if [ -z "${XVFB_LOG:-}" ]; then
    return
  elif [ -s "$XVFB_LOG" ]; then
    echo "play: the X server's log:"
    sed 's/^/  /' "$XVFB_LOG"
  else
    echo "play: the X server's log is empty"
  fi
}

# True once the game has ended, with its exit status in $status.
ended() {
  kill -0 "$game" 2>/dev/null && return 1
  status=0
  wait "$game" || status=$?
  game=""
}

fail_if_ended() {
  ended || return 0
  echo "play: Brickfall exited with status $status $1"
  show_why
  [ "$status" -ne 0 ] || status=1
  exit "$status"
}

# The game opens its pictures by relative name: start it beside them. Named,
# the X11 video driver is the only one SDL tries, so it cannot wander off to
# another when the private server is slow to answer.
# shellcheck disable=SC2086  # the wrapper is a command and its arguments
(cd "$build/demo" && SDL_VIDEODRIVER=x11 exec ${PLAY_WRAPPER:-} ./Brickfall) >"$log" 2>&1 &
game=$!
deadline=$((SECONDS + start_limit))
until xdotool search --name "^$caption\$" >/dev/null 2>&1; do
  fail_if_ended "before its window appeared"
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "play: the $caption window did not appear within $start_limit s"
    show_why
    exit 1
  fi
  sleep 0.1
done

# The window's left edge is at x = 100 on the screen.
for x in 420 520 620 560 460 360 260 160 260 360; do
  fail_if_ended "while playing"
  xdotool mousemove "$x" 540
  sleep 0.4
done
"$driver" screenshot "$caption" "$shot" || { fail_if_ended "while playing"; exit 1; }
echo "play: screenshot saved to $shot"

"$driver" close "$caption"
deadline=$((SECONDS + close_limit))
until ended; do
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "play: Brickfall did not exit within $close_limit s of being closed"
    show_why
    exit 1
  fi
  sleep 0.1
done
echo "play: Brickfall exited with status $status"
if [ "$status" -ne 0 ]; then
  show_why
else
  show_output || true
fi
exit "$status"
