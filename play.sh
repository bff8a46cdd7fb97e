#!/usr/bin/env bash
# Installs and builds only what playing needs, then plays Brickfall. Without a
# display ($DISPLAY unset) it plays a few seconds on a private X server instead
# and saves a screenshot:
#   ./play.sh [SCREENSHOT.png]   (default build/brickfall.png)
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build-for-play.sh brickfall brickfall_pictures_files

if [ -n "${DISPLAY:-}" ]; then
  # The game opens its pictures by relative name: start it beside them.
  cd build/demo
  exec ./Brickfall
fi

shot="${1:-build/brickfall.png}"
case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
echo "play: no display, so playing on a private X server"
exec ./scripts/with-xvfb.sh ./scripts/play-headless.sh "$PWD/build" "$shot"
