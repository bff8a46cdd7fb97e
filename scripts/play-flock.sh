#!/usr/bin/env bash
# Installs and builds only what playing needs, then plays Flock, the game in
# examples/flock. Without a display ($DISPLAY unset) it plays a few seconds on
# a private X server instead and saves a screenshot:
#   ./scripts/play-flock.sh [SCREENSHOT.png]   (default build/flock.png)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build-for-play.sh flock

if [ -n "${DISPLAY:-}" ]; then
  exec build/examples/flock/flock
fi

shot="${1:-build/flock.png}"
case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
echo "play: no display, so playing on a private X server"
exec ./scripts/with-xvfb.sh ./scripts/flock-headless.sh "$PWD/build" "$shot"
